// The per-pass display list: appending items, the stepping buttons and
// scroll buttons that change what their item points at, and the texts the
// items show.
#include <cstdio>

#include "ui/local.h"

DisplayListRecord MutableDisplayList;
const DisplayListRecord& DisplayList = MutableDisplayList;

namespace {

// The symbol page: arrows and the other symbol glyphs.
constexpr int SymbolCodePage = 10;

// A gear ratio's 16-bit value spans 0.5 .. 7.5 in 65534 parts; it moves in
// steps of 0.001.
constexpr float RatioLow = 0.5f, RatioHigh = 7.5f, RatioSpan = 7.0f;
constexpr float RatioStep = 0.001f;
constexpr int WideFull = 65534;

UiItem* AppendItem(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text, UiWord param,
                   UiWord extra, int kind, const ColourRecord* colour, UiAction action, int codePage)
{
    if (MutableDisplayList.count >= MaxUiItems)
        return nullptr;
    UiItem& item = MutableDisplayList.items[MutableDisplayList.count++];
    item = UiItem{x1, y1, x2, y2, value, text, param, extra, static_cast<uint8_t>(kind), 0, 0, 0,
                  static_cast<uint8_t>(codePage), colour, owner, action, nullptr};
    return &item;
}

// The first row of a list after scrolling by one; never below 0 nor past
// the last full view (a list shorter than its view stays at 0).
void ScrollList(const UiItem& item, int down)
{
    int* firstRow = item.value.Pointer<int>();
    if (firstRow == nullptr)
        return;
    const int visible = item.param.Int() - item.text.Int();
    const int last = item.extra.Int() - visible;
    const int row = *firstRow + (down ? 1 : -1);
    *firstRow = Clamp(row, 0, last > 0 ? last : 0);
}

void StepByte(const UiItem& item, int amount)
{
    uint8_t* value = item.value.Pointer<uint8_t>();
    const int limit = item.extra.Int();
    const int stepped = *value + amount;
    *value = static_cast<uint8_t>(amount > 0 ? Clamp(stepped, 0, limit) : Clamp(stepped, limit, 255));
}

void StepWide(const UiItem& item, int amount)
{
    uint16_t* value = item.value.Pointer<uint16_t>();
    if (item.param.Int() != 0) {
        const float ratio = static_cast<float>(RoundToInt32(WideValueRatio(*value) / RatioStep) + amount) * RatioStep;
        *value = static_cast<uint16_t>(RatioWideValue(Clamp(ratio, RatioLow, RatioHigh)));
        return;
    }
    const int limit = item.extra.Int();
    const int stepped = *value + amount;
    *value = static_cast<uint16_t>(amount > 0 ? Clamp(stepped, 0, limit) : Clamp(stepped, limit, 65535));
}

void StepFloat(const UiItem& item, int amount)
{
    float* value = item.value.Pointer<float>();
    const float step = item.param.Float();
    const float limit = item.extra.Float();
    if (step == 0)
        return;
    const float stepped = static_cast<float>(RoundToInt32(*value / step) + amount) * step;
    *value = amount > 0 ? (stepped > limit ? limit : stepped) : (stepped < limit ? limit : stepped);
}

// The text reference of a cycle, flag or choice button: what its index,
// bit or own slot selects.
const char* ReferencedText(const UiItem& item)
{
    const int* value = item.value.Pointer<int>();
    if (item.kind == UiChoiceButton) {
        const char* const* slot = item.text.Pointer<const char* const>();
        return slot != nullptr ? *slot : "";
    }
    const char* const* const* table = item.text.Pointer<const char* const* const>();
    if (table == nullptr || value == nullptr)
        return "";
    int index = 0;
    if (item.kind == UiFlagButton)
        index = (*value & item.param.Int()) != 0 ? 1 : 0;
    else if (*value >= 0 && *value < item.param.Int())
        index = *value;
    else
        return "";
    return table[index] != nullptr ? *table[index] : "";
}

const char* FormatNumber(const UiItem& item, char* buffer, int size)
{
    const char* format = item.text.Text();
    if (format == nullptr)
        return "";
    switch (item.kind) {
    case UiNumberRight:
    case UiNumberLeft:
        if (item.extra.Int() == 2)
            std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Float(), item.param.Float());
        else
            std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Float());
        break;
    case UiThousandthsLabel:
        std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Float() * 0.001f);
        break;
    case UiAngleLabel:
        std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Float() * 57.295776f);
        break;
    case UiFloatNumberButton:
        std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Float());
        break;
    default: std::snprintf(buffer, static_cast<size_t>(size), format, item.value.Int()); break;
    }
    return buffer;
}

} // namespace

void ClearDisplayList()
{
    MutableDisplayList.count = 0;
    MutableDisplayList.backButtonShown = 0;
    MutableDisplayList.clickConsumed = 0;
}

UiItem* AddUiItem(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text, UiWord param,
                  UiWord extra, int kind, const ColourRecord* colour, UiAction action)
{
    return AppendItem(owner, x1, y1, x2, y2, value, text, param, extra, kind, colour, action, TextCodePage);
}

UiItem* AddUiItemUntranslated(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text,
                              UiWord param, UiWord extra, int kind, const ColourRecord* colour, UiAction action)
{
    return AppendItem(owner, x1, y1, x2, y2, value, text, param, extra, kind, colour, action, 0);
}

UiItem* AddUiSymbolItem(Screen* owner, float x1, float y1, float x2, float y2, UiWord value, UiWord text,
                        UiWord param, UiWord extra, int kind, const ColourRecord* colour, UiAction action)
{
    return AppendItem(owner, x1, y1, x2, y2, value, text, param, extra, kind, colour, action, SymbolCodePage);
}

UiItem* AddUiWideItem(Screen* owner, float x1, float y1, float x2, float y2, uint16_t* value, float minimum,
                      float maximum, const char* format, int scaled, const ColourRecord* colour, UiAction action)
{
    UiItem* item = AddUiItem(owner, x1, y1, x2, y2, UiWord(value), UiWord(minimum), UiWord(maximum),
                             UiWord(format), UiWideSlider, colour, action);
    if (item != nullptr)
        item->scaled = scaled ? 1 : 0;
    return item;
}

UiItem* AddUiRangeItem(Screen* owner, float x1, float y1, float x2, float y2, uint8_t* value, float minimum,
                       float maximum, const char* format, int minByte, int maxByte, const ColourRecord* colour,
                       UiAction action)
{
    UiItem* item = AddUiItem(owner, x1, y1, x2, y2, UiWord(value), UiWord(minimum), UiWord(maximum),
                             UiWord(format), UiByteRangeSlider, colour, action);
    if (item != nullptr) {
        item->minByte = static_cast<uint8_t>(minByte);
        item->maxByte = static_cast<uint8_t>(maxByte);
    }
    return item;
}

void SetBackButtonShown() { MutableDisplayList.backButtonShown = 1; }

float WideValueRatio(int value) { return RatioLow + RatioSpan * static_cast<float>(value) / WideFull; }

int RatioWideValue(float ratio) { return RoundToInt32((ratio - RatioLow) * WideFull / RatioSpan); }

void StepUiItem(const UiItem& item, int byTen)
{
    const int amount = byTen ? 10 : 1;
    if (item.value.Pointer<void>() == nullptr)
        return;
    switch (item.kind) {
    case UiByteUp: StepByte(item, amount); break;
    case UiByteDown: StepByte(item, -amount); break;
    case UiWideUp: StepWide(item, amount); break;
    case UiWideDown: StepWide(item, -amount); break;
    case UiFloatUp: StepFloat(item, amount); break;
    case UiFloatDown: StepFloat(item, -amount); break;
    case UiScrollUp: ScrollList(item, 0); break;
    case UiScrollDown: ScrollList(item, 1); break;
    default: break;
    }
}

const char* UiItemText(const UiItem& item, char* buffer, int size)
{
    buffer[0] = 0;
    switch (item.kind) {
    case UiNumberRight:
    case UiNumberLeft:
    case UiThousandthsLabel:
    case UiAngleLabel:
    case UiIntNumberButton:
    case UiFloatNumberButton:
    case UiIntLabel: return FormatNumber(item, buffer, size);
    case UiTimeLabel:
    case UiTimeButton:
        FormatRaceTime(buffer, size, item.text.Text() != nullptr ? item.text.Text() : "", 0, item.value.Int(), 0);
        return buffer;
    case UiCycleButton:
    case UiFlagButton:
    case UiChoiceButton: return ReferencedText(item);
    case UiHelpButton: return "?";
    case UiByteUp:
    case UiWideUp:
    case UiFloatUp: return "\x9B";
    case UiByteDown:
    case UiWideDown:
    case UiFloatDown: return "\x8B";
    case UiScrollUp: return "\xB9";
    case UiScrollDown: return "\xBA";
    case UiFloatSlider:
    case UiMilliSlider:
    case UiAngleSlider:
    case UiColourSlider:
    case UiByteRangeSlider:
    case UiWideSlider:
    case UiScrollThumb:
    case UiScrollArea:
    case UiFilledRect:
    case UiCarStrip:
    case UiHotArea:
    case UiCharacterKey:
    case UiFlagIcon: return "";  // their text word is a number, or they show no text
    default: return item.text.Text() != nullptr ? item.text.Text() : "";
    }
}
