// The standard widgets' column layouts, the geometry of choice rows and
// scroll bars, and the standard item actions.
#include <cstdio>

#include "ui/local.h"

const ColumnLayout ColumnLayouts[ColumnLayoutCount] = {
    {-0.95f, -0.3f, 0.0f, 0.1f, 0.1f, 0.2f, 0.06f},
    {0.35f, 0.9f, 0.0f, 0.1f, 0.1f, 0.2f, 0.1f},
    {0.2f, 0.9f, 0.0f, 0.1f, 0.1f, 0.2f, 0.1f},
    {-0.95f, -0.35f, 0.0f, 0.1f, 0.1f, 0.2f, 0.1f},
    {0.65f, 0.95f, 0.0f, 0.1f, 0.1f, 0.2f, 0.1f},
    {-0.75f, -0.25f, -0.25f, 0.25f, 0.3f, 0.35f, 0.06f},
    {-0.65f, -0.2f, -0.2f, 0.2f, 0.25f, 0.3f, 0.06f},
    {-0.65f, -0.25f, -0.25f, 0.15f, 0.2f, 0.25f, 0.05f},
    {-1.0f, -0.65f, -0.65f, -0.3f, -0.3f, -0.2f, 0.05f},
    {0.2f, 0.6f, 0.6f, 1.0f, -0.2f, -0.1f, 0.05f},
    {-0.85f, -0.5f, -0.5f, -0.15f, 0.25f, 0.35f, 0.05f},
    {0.15f, 0.5f, 0.5f, 0.85f, 0.9f, 1.0f, 0.05f},
    {0.0f, 0.85f, 0.0f, 0.1f, 0.1f, 0.2f, 0.06f},
    {-0.95f, -0.65f, -0.65f, -0.25f, 0.0f, 0.0f, 0.05f},
    {-0.2f, 0.1f, 0.1f, 0.5f, 0.0f, 0.0f, 0.05f},
};

const ColumnLayout& CurrentColumnLayout = MutableUi.columnLayout;

namespace {

// A scroll bar at least this high has an up button; at least the second,
// a track between the buttons, which are then this high.
constexpr float ScrollBarUpHeight = 0.081f;
constexpr float ScrollBarTrackHeight = 0.121f;
constexpr float ScrollButtonHeight = 0.04f;

} // namespace

void SelectColumnLayout(int layout)
{
    MutableUi.columnLayout = ColumnLayouts[layout >= 0 && layout < ColumnLayoutCount ? layout : 0];
}

namespace {

// Takes the accepted text of a field into its buffer, cut to the buffer's
// room and always terminated.
void CopyTextBack(Screen*, const char* text, int)
{
    char* buffer = MutableUi.editFieldBuffer;
    if (buffer != nullptr && MutableUi.editFieldSize > 0)
        std::snprintf(buffer, static_cast<size_t>(MutableUi.editFieldSize), "%s", text);
    MutableUi.editFieldBuffer = nullptr;
}

} // namespace

void EditTextField(Screen* owner, int maxLength, char* buffer, const char* title, int entryType)
{
    if (buffer == nullptr || maxLength <= 0)
        return;
    Screen* opened = OpenTextEntry(owner, CopyTextBack, title, maxLength, maxLength, buffer, 0, entryType, nullptr);
    if (opened == nullptr || opened == owner)
        return;
    MutableUi.editFieldBuffer = buffer;
    MutableUi.editFieldSize = maxLength;
}

void OnCycleClick(Screen*, int count, int* value)
{
    if (count > 0)
        *value = (*value + 1) % count;
}

void OnToggleClick(Screen*, int mask, int* value) { *value ^= mask; }
void OnChoiceClick(Screen*, int choice, int* value) { *value = choice; }
void OnClearChoiceClick(Screen*, int, int* value) { *value = -1; }

ChoiceButton LayOutChoiceButton(const ColumnLayout& layout, int n, int i, int style, int current)
{
    ChoiceButton button;
    const float width = (layout.valueX2 - layout.valueX1) / static_cast<float>(n);
    button.x1 = layout.valueX1 + width * static_cast<float>(i);
    button.x2 = i == n - 1 ? layout.valueX2 : layout.valueX1 + width * static_cast<float>(i + 1);
    button.choice = style == ChoiceStyleReversed ? n - 1 - i : i;
    button.selected = button.choice == current;
    button.action = button.selected && style == ChoiceStyleClearable ? OnClearChoiceClick : OnChoiceClick;
    button.notifies = !button.selected || style == ChoiceStyleNotifySelected;
    return button;
}

ScrollBarParts LayOutScrollBar(float y1, float y2)
{
    ScrollBarParts parts;
    const float height = y2 - y1;
    if (height >= ScrollBarTrackHeight) {
        parts.hasUp = parts.hasTrack = true;
        parts.upY2 = parts.trackY1 = y1 + ScrollButtonHeight;
        parts.downY1 = parts.trackY2 = y2 - ScrollButtonHeight;
    } else if (height >= ScrollBarUpHeight) {
        parts.hasUp = true;
        parts.upY2 = parts.downY1 = y1 + height * 0.5f;
    } else {
        parts.downY1 = y1;
    }
    return parts;
}
