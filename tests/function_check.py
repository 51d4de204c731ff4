#!/usr/bin/env python3
"""The function check: holds two rules of the code in src.

Long functions. No function runs over 120 lines (from the line of its name
to its closing brace) unless the comment right above it gives the reason,
on a line of its own that starts with the marker

    // Long function: <why it reads best in one piece>

(a reason must follow the colon). A long function usually mirrors a
numbered procedure; its steps become functions of their own instead.

Step numbers. No comment on a line of its own carries the numbers of a
numbered list written elsewhere: neither a comment that is only such
numbers ("// 1, 2.", "// 3 to 7.", "// Step 4", "// Items 23 on.") nor
one that starts with them before its words ("// 7, 8. The setup in use.",
"// Item 27: the family"). A reader without the list cannot follow them;
each step is named instead, as a function or in words.

The reading is a light one, not a compiler's: comments, strings and
preprocessor lines are set aside, and braces are followed from namespace
and class scope, where a brace after a closing parenthesis (with its
qualifiers or a constructor's initialisers) opens a function body.

Usage: function_check.py [root]
Prints "file:function:lines" for each long function and "file:line: text"
for each step-number comment, then a count; exits 1 when there is one.
"""
import os
import re
import sys

MAX_LINES = 120
MARKER = re.compile(r"^\s*//\s*Long function:\s*(\S.*)?$")
SOURCE_EXTENSIONS = (".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".inc", ".ipp")

_NUMBERS = r"\d+[a-z]?(?:\s*(?:,|to|and|-|\u2013|&)\s*\d+[a-z]?)*"
_WORD = r"(?:steps?|items?)\s+"
BARE_STEP = re.compile(rf"^(?:{_WORD})?{_NUMBERS}(?:\s+on)?\s*[.:)]?$", re.IGNORECASE)
LEADING_STEP = re.compile(rf"^(?:{_NUMBERS}\.\s+\S|{_WORD}{_NUMBERS}(?:\s+on)?\s*[.:]\s*\S)", re.IGNORECASE)

# What may follow a function's closing parenthesis before its body.
QUALIFIERS = re.compile(r"\)\s*(?:const|volatile|override|final|noexcept(?:\s*\([^)]*\))?|mutable|&&|&|\s)*"
                        r"(?:->\s*[^{;]*)?$")
INITIALISERS = re.compile(r"\)\s*(?:noexcept\s*)?:\s*[\w:]+\s*[({]")
MEMBER_BRACE = re.compile(r"\)\s*(?:noexcept\s*)?:.*[:,]\s*[\w:]+(?:\s*<[^<>]*>)?$")
NAME_BEFORE_PAREN = re.compile(r"(operator\s*(?:\(\)|[^\s(]+)|~?[A-Za-z_]\w*(?:\s*<[^<>]*>)?)\s*$")


def split_code_and_comments(text):
    """The text with comments, string and character literals and
    preprocessor lines blanked (newlines kept, so offsets keep their line),
    and the comments as (line, text, own_line) with own_line true when
    nothing but the comment stands on its line."""
    code = list(text)
    comments = []
    i, n, line = 0, len(text), 1
    line_start = 0
    at_line_start = True

    def blank(start, end):
        """Blanks text[start:end] but its newlines, which still count."""
        nonlocal line, line_start
        for k in range(start, min(end, n)):
            if text[k] != "\n":
                code[k] = " "
            else:
                line += 1
                line_start = k + 1
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            line_start = i + 1
            at_line_start = True
            i += 1
            continue
        if at_line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    code[i] = " "
                    i += 2
                    line += 1
                    continue
                code[i] = " "
                i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            own = text[line_start:i].strip() == ""
            comments.append((line, text[i + 2:end].strip(), own))
            for k in range(i, end):
                code[k] = " "
            i = end
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            own = text[line_start:i].strip() == ""
            for number, part in enumerate(text[i + 2:end - 2].split("\n")):
                comments.append((line + number, part.strip().lstrip("*").strip(), own))
            blank(i, end)
            i = end
            continue
        if c in "\"'":
            if c == "'" and i > 0 and (text[i - 1].isalnum()):
                i += 1  # a digit separator (1'000)
                continue
            raw = c == '"' and i > 0 and text[i - 1] == "R"
            if raw:
                open_end = text.find("(", i)
                delimiter = ")" + text[i + 1:open_end] + '"'
                end = text.find(delimiter, open_end)
                end = n if end < 0 else end + len(delimiter)
            else:
                end = i + 1
                while end < n and text[end] != c and text[end] != "\n":
                    end += 2 if text[end] == "\\" else 1
                end += 1
            blank(i + 1, end - 1)
            i = end
            continue
        i += 1
    return "".join(code), comments


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def header_kind(header):
    """What a brace at namespace or class scope opens, from the text since
    the last statement: "scope" (namespace, class, extern block), "function"
    or "other" (an enum, an initialiser)."""
    h = " ".join(header.split())
    if re.search(r"\bnamespace\b", h) or re.search(r'\bextern\s*"\s*"\s*$', h):
        return "scope"
    if re.search(r"\benum\b", h):
        return "other"
    if re.search(r"\b(class|struct|union)\b", h) and "(" not in h and "=" not in h:
        return "scope"
    depth = 0
    for ch in h:
        depth += ch == "("
        depth -= ch == ")"
        if ch == "=" and depth == 0 and "operator" not in h:
            return "other"
    if "(" in h and (QUALIFIERS.search(h) or INITIALISERS.search(h)):
        return "function"
    return "other"


def function_name(header):
    depth = 0
    for index, ch in enumerate(header):
        if ch == "(":
            if depth == 0:
                m = NAME_BEFORE_PAREN.search(header[:index])
                if m and m.group(1) not in ("if", "for", "while", "switch", "return", "sizeof"):
                    return m.group(1), index - len(header[:index]) + m.start(1)
            depth += 1
        elif ch == ")":
            depth -= 1
    return "?", 0


def find_functions(code):
    """(name, first line, last line, first line of the declaration) of every
    function body at namespace or class scope."""
    found = []
    stack = []  # kinds of the open braces
    start = 0  # where the text since the last statement begins
    i, n = 0, len(code)
    while i < n:
        c = code[i]
        if c == ";" and (not stack or stack[-1] == "scope"):
            start = i + 1
        elif c == "}" and stack:
            stack.pop()
            if not stack or stack[-1] == "scope":
                start = i + 1
        elif c == "{":
            if stack and stack[-1] != "scope":
                stack.append(stack[-1] if stack[-1] == "other" else "inner")
            else:
                header = code[start:i]
                kind = header_kind(header)
                if kind == "function" and MEMBER_BRACE.search(" ".join(header.split())):
                    # A member's braced initialiser in a constructor's list:
                    # the body comes after it.
                    i = matching_brace(code, i) + 1
                    continue
                if kind == "function":
                    name, offset = function_name(header)
                    first_code = start + len(header) - len(header.lstrip())
                    name_at = start + offset
                    close = matching_brace(code, i)
                    found.append((name, line_of(code, name_at), line_of(code, close), line_of(code, first_code)))
                    i = close
                    start = close + 1
                    i += 1
                    continue
                stack.append(kind)
                if kind == "scope":
                    start = i + 1
        elif c == ":" and (not stack or stack[-1] == "scope"):
            # "public:" and the like end a statement in a class.
            before = code[start:i].strip()
            if before in ("public", "private", "protected"):
                start = i + 1
        i += 1
    return found


def matching_brace(code, opening):
    depth = 0
    for k in range(opening, len(code)):
        if code[k] == "{":
            depth += 1
        elif code[k] == "}":
            depth -= 1
            if depth == 0:
                return k
    return len(code) - 1


def has_reason(lines, declaration_line):
    """Whether the comment block right above the declaration holds the
    marker with a reason."""
    k = declaration_line - 2
    while k >= 0 and lines[k].strip().startswith("template"):
        k -= 1
    while k >= 0 and lines[k].strip().startswith("//"):
        m = MARKER.match(lines[k])
        if m:
            return bool(m.group(1))
        k -= 1
    return False


def step_comment(text):
    if BARE_STEP.match(text):
        return "a bare step number"
    if LEADING_STEP.match(text):
        return "a step number before the words"
    return None


def check_file(path, rel):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    code, comments = split_code_and_comments(text)
    lines = text.split("\n")
    faults = []
    for name, first, last, declared in find_functions(code):
        length = last - first + 1
        if length > MAX_LINES and not has_reason(lines, declared):
            faults.append(("long", f"{rel}:{name}:{length}"))
    for number, comment, own in comments:
        if not own or not comment:
            continue
        what = step_comment(comment)
        if what:
            faults.append(("step", f"{rel}:{number}: {what}: // {comment}"))
    return faults


def check(root):
    faults = []
    for folder, dirs, files in os.walk(os.path.join(root, "src")):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_EXTENSIONS):
                path = os.path.join(folder, name)
                faults += check_file(path, os.path.relpath(path, root).replace(os.sep, "/"))
    return faults


def main(argv):
    root = argv[0] if argv else "."
    faults = check(root)
    for _, text in faults:
        print(text)
    long_count = sum(1 for kind, _ in faults if kind == "long")
    print(f"function check: {long_count} functions over {MAX_LINES} lines without a reason, "
          f"{len(faults) - long_count} step-number comments")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
