// The standard mouse handling over the display list: clicks made of a
// press and a release over the same item, slider and scroll-thumb drags,
// the wheel over a scroll area, copy and paste of slider values and
// colours, and the value entry that a right click on a slider opens.
#include <cstdio>
#include <cstring>

#include "devices/services.h"
#include "ui/local.h"

PointerRecord MutablePointer;

namespace {

// Press codes of a MouseEvent: the button, plus Ctrl and Shift.
constexpr int PressLeft = 1, PressRight = 2;
constexpr int PressRightCtrl = 6, PressRightShift = 10;
constexpr int RightButtonBit = 2;
// The argument of an action after a paste.
constexpr int PastedCode = 10;
// The typed value's room in the value-entry dialog.
constexpr int ValueEntryLength = 16;
constexpr int WideFull = 65534;
constexpr float DegreesPerRadian = 57.295776f;
constexpr float RadiansPerDegree = 3.1415927f * 0.0055555557f;
// The interface sound of a press.
constexpr int PressSound = 0;

DragRecord& Drag() { return MutablePointer.drag; }

float PointerX() { return InputState.mousePosition[0]; }
float PointerY() { return InputState.mousePosition[1]; }
int PointerPixelX() { return InputState.lastMousePixel[0]; }
int PointerPixelY() { return InputState.lastMousePixel[1]; }

bool Holds(const UiItem& item, float x, float y)
{
    return x >= item.x1 && x <= item.x2 && y >= item.y1 && y <= item.y2;
}

void Notify(Screen* owner, UiAction action, int a)
{
    if (action != nullptr)
        action(owner, a, 0);
}

// The integer limits of a byte or 16-bit slider.
void IntegerLimits(const UiItem& item, int& minimum, int& maximum)
{
    if (item.kind == UiColourSlider) {
        minimum = item.text.Int();
        maximum = item.param.Int();
    } else if (item.kind == UiByteRangeSlider) {
        minimum = item.minByte;
        maximum = item.maxByte;
    } else if (item.scaled) {
        minimum = 0;
        maximum = WideFull;
    } else {
        minimum = RoundToInt32(item.text.Float());
        maximum = RoundToInt32(item.param.Float());
    }
}

int ReadInteger(const UiItem& item)
{
    return item.kind == UiWideSlider ? *item.value.Pointer<uint16_t>() : *item.value.Pointer<uint8_t>();
}

void StoreInteger(void* target, int state, int value)
{
    if (state == DragWide)
        *static_cast<uint16_t*>(target) = static_cast<uint16_t>(value);
    else
        *static_cast<uint8_t*>(target) = static_cast<uint8_t>(value);
}

// The slider's width in pixels of the 2D layer (the middle third of a
// window spanning three screens).
int SliderPixels(const UiItem& item)
{
    const float scale = DisplayPass.pixelScaleX;
    return scale > 0 ? RoundToInt32((item.x2 - item.x1) / scale) : 0;
}

// Fills the drag record from the item for a drag or a value entry.
void TakeSlider(const UiItem& item, int state)
{
    DragRecord& drag = Drag();
    const float step = drag.step;
    drag = DragRecord{};
    drag.step = step;
    drag.target = item.value.Pointer<void>();
    drag.minimum = item.text.Float();
    drag.maximum = item.param.Float();
    drag.owner = item.owner;
    drag.action = item.action;
    drag.minByte = item.minByte;
    drag.maxByte = item.maxByte;
    drag.scaled = item.scaled;
    if (state != DragFloat)
        IntegerLimits(item, drag.minimumInt, drag.maximumInt);
}

// A drag starts when the slider has a width to drag over (a zero-width
// slider would divide by nothing and is left alone).
void StartSliderDrag(const UiItem& item, int state)
{
    TakeSlider(item, state);
    DragRecord& drag = Drag();
    drag.widthPixels = SliderPixels(item);
    if (drag.widthPixels <= 0 || drag.target == nullptr)
        return;
    drag.state = state;
    drag.startPixel = drag.lastPixel = PointerPixelX();
    if (state == DragFloat)
        drag.startFloat = *item.value.Pointer<float>();
    else
        drag.startInt = ReadInteger(item);
}

void StartThumbDrag(const UiItem& item)
{
    DragRecord& drag = Drag();
    const int total = item.extra.Int();
    const int visible = item.param.Int() - item.text.Int();
    if (total <= 0 || item.value.Pointer<int>() == nullptr)
        return;
    const float thumb = (item.y2 - item.y1) * (static_cast<float>(visible) * 0.5f / static_cast<float>(total));
    const int pixels = RoundToInt32(thumb * static_cast<float>(ScreenSize.client.height));
    if (pixels <= 0)
        return;
    drag = DragRecord{};
    drag.state = DragThumb;
    drag.target = item.value.Pointer<void>();
    drag.startPixel = PointerPixelY();
    drag.startInt = *item.value.Pointer<int>();
    drag.minimumInt = item.text.Int();
    drag.maximumInt = item.param.Int();
    drag.totalRows = total;
    drag.widthPixels = pixels;
    drag.owner = item.owner;
}

// Moves the dragged value with the pointer; returns the drag state.
int ContinueDrag()
{
    DragRecord& drag = Drag();
    if (drag.state == DragThumb) {
        const int64_t span = drag.maximumInt - drag.minimumInt;
        const int64_t rows = (static_cast<int64_t>(PointerPixelY()) - drag.startPixel) * span / drag.widthPixels;
        if (rows != 0) {
            const int last = drag.totalRows - static_cast<int>(span);
            *static_cast<int*>(drag.target) = Clamp(static_cast<int>(drag.startInt + rows), 0, last > 0 ? last : 0);
        }
        return drag.state;
    }
    if (PointerPixelX() == drag.lastPixel)
        return drag.state;
    drag.lastPixel = PointerPixelX();
    const int delta = drag.lastPixel - drag.startPixel;
    bool changed = false;
    if (drag.state == DragFloat) {
        float* target = static_cast<float*>(drag.target);
        const float moved = (drag.maximum - drag.minimum) * static_cast<float>(delta) /
                                static_cast<float>(drag.widthPixels) + drag.startFloat;
        const float value = SnapAndClamp(drag.minimum, moved, drag.maximum);
        changed = value != *target;
        *target = value;
    } else {
        const int64_t moved = drag.startInt + static_cast<int64_t>(delta) * (drag.maximumInt - drag.minimumInt) /
                                                  drag.widthPixels;
        const int value = static_cast<int>(Clamp<int64_t>(moved, drag.minimumInt, drag.maximumInt));
        const int before = drag.state == DragWide ? *static_cast<uint16_t*>(drag.target)
                                                  : *static_cast<uint8_t*>(drag.target);
        changed = value != before;
        StoreInteger(drag.target, drag.state, value);
    }
    if (changed)
        Notify(drag.owner, drag.action, 0);
    return drag.state;
}

// The value a slider shows in the title of its value entry.
float ShownValue(const UiItem& item)
{
    switch (item.kind) {
    case UiMilliSlider: return *item.value.Pointer<float>() * 0.001f;
    case UiAngleSlider: return *item.value.Pointer<float>() * DegreesPerRadian;
    case UiByteRangeSlider: {
        const int span = item.maxByte - item.minByte;
        const float part = span != 0 ? static_cast<float>(*item.value.Pointer<uint8_t>() - item.minByte) / span : 0;
        return item.text.Float() + part * (item.param.Float() - item.text.Float());
    }
    case UiWideSlider: {
        const float v = *item.value.Pointer<uint16_t>();
        return item.scaled ? item.text.Float() + (item.param.Float() - item.text.Float()) * v / WideFull : v;
    }
    default: return *item.value.Pointer<float>();
    }
}

void OpenValueEntry(const UiItem& item, void (*completion)(Screen*, const char*, int))
{
    if (item.extra.Text() == nullptr || item.owner == nullptr || item.value.Pointer<void>() == nullptr)
        return;
    TakeSlider(item, item.kind == UiByteRangeSlider ? DragByte : item.kind == UiWideSlider ? DragWide : DragFloat);
    char value[64];
    std::snprintf(value, sizeof value, item.extra.Text(), ShownValue(item));
    char title[128];
    std::snprintf(title, sizeof title, GetText(TX_3a_newvalfx), value);
    OpenTextEntry(item.owner, completion, title, ValueEntryLength, item.kind, "", 0, 0, nullptr);
}

// Press 6 copies a slider's value, press 10 pastes it within the slider's
// limits and tells the action.
void CopyOrPasteFloat(const UiItem& item, int press)
{
    float* value = item.value.Pointer<float>();
    if (value == nullptr)
        return;
    if (press == PressRightCtrl) {
        MutablePointer.floatCopy = *value;
    } else if (press == PressRightShift) {
        *value = SnapAndClamp(item.text.Float(), MutablePointer.floatCopy, item.param.Float());
        Notify(item.owner, item.action, PastedCode);
    }
}

void CopyOrPasteInteger(const UiItem& item, int press)
{
    if (item.value.Pointer<void>() == nullptr)
        return;
    if (press == PressRightCtrl) {
        MutablePointer.intCopy = ReadInteger(item);
    } else if (press == PressRightShift) {
        int minimum = 0, maximum = 0;
        IntegerLimits(item, minimum, maximum);
        StoreInteger(item.value.Pointer<void>(), item.kind == UiWideSlider ? DragWide : DragByte,
                     Clamp(MutablePointer.intCopy, minimum, maximum));
        Notify(item.owner, item.action, PastedCode);
    }
}

void CopyOrPasteColour(const UiItem& item, int press)
{
    ColourRecord* colour = const_cast<ColourRecord*>(item.colour);
    if (colour == nullptr)
        return;
    if (press == PressRightCtrl) {
        MutablePointer.colourCopy = *colour;
    } else if (press == PressRightShift) {
        *colour = MutablePointer.colourCopy;
        Notify(item.owner, item.action, PastedCode);
    }
}

// A press or release on a float slider (which always takes the event).
void PressFloatSlider(const UiItem& item, int press)
{
    Drag().step = FloatStepOfFormat(item.extra.Text(), item.kind);
    if (press == PressLeft)
        StartSliderDrag(item, DragFloat);
    else if (press == PressRight)
        OpenValueEntry(item, OnFloatValueEntered);
    else
        CopyOrPasteFloat(item, press);
}

// A press on a byte or 16-bit slider, a scroll thumb or a colour swatch;
// the walk goes on to the items below.
void PressIntegerSlider(const UiItem& item, int press)
{
    if (press == PressLeft) {
        StartSliderDrag(item, item.kind == UiWideSlider ? DragWide : DragByte);
    } else if (press == PressRight) {
        if (item.kind == UiByteRangeSlider)
            OpenValueEntry(item, OnByteRangeValueEntered);
        else if (item.kind == UiWideSlider)
            OpenValueEntry(item, OnWideValueEntered);
    } else {
        CopyOrPasteInteger(item, press);
    }
}

// The action of a button whose value is a pointer: the item action when
// the widget gave one, else the plain action with param and value.
void CallPointerButtonAction(const UiItem& item)
{
    if (item.itemAction != nullptr)
        item.itemAction(item.owner, item);
    else if (item.action != nullptr)
        item.action(item.owner, item.param.Int(), item.value.Int());
}

// A release that completes a click on the item: its action by kind.
void CompleteClick(const UiItem& item)
{
    MutableDisplayList.clickConsumed = 1;
    const int press = MutablePointer.pressCode;
    MutablePointer.pressCode = 0;
    switch (item.kind) {
    case UiTextField:
    case UiPasswordField:
    case UiSingleByteField: {
        static constexpr int EntryType[3] = {0, 2, 3};
        EditTextField(item.owner, item.param.Int(), item.value.Pointer<char>(), item.extra.Text(),
                      EntryType[item.kind - UiTextField]);
        return;
    }
    case UiScrollUp:
    case UiScrollDown: StepUiItem(item, 0); return;
    case UiByteUp:
    case UiByteDown:
    case UiWideUp:
    case UiWideDown:
    case UiFloatUp:
    case UiFloatDown:
        StepUiItem(item, (press & RightButtonBit) != 0);
        Notify(item.owner, item.action, 0);
        return;
    case UiCycleButton:
    case UiFlagButton:
    case UiChoiceButton:
        CallPointerButtonAction(item);
        Notify(item.owner, item.extra.Action(), 0);
        return;
    case UiHelpButton: CallPointerButtonAction(item); return;
    case UiButton:
    case UiBigButton:
    case UiMarkBox:
    case UiTextButtonLeft:
    case UiTextButtonCentre:
    case UiTextButtonRight:
    case UiVerticalLetters:
    case UiCharacterKey:
        if (item.action != nullptr)
            item.action(item.owner, press, item.value.Int());
        return;
    case UiIntNumberButton:
    case UiFloatNumberButton:
        if (item.action != nullptr)
            item.action(item.owner, press, item.param.Int());
        return;
    default:
        if (item.action != nullptr)
            item.action(item.owner, item.param.Int(), item.value.Int());
        return;
    }
}

// The wheel over the first scroll area under the pointer scrolls its list.
int TurnWheel(int wheel)
{
    for (int i = 0; i < DisplayList.count; ++i) {
        const UiItem& item = DisplayList.items[i];
        if (item.kind == UiScrollArea && Holds(item, PointerX(), PointerY())) {
            StepUiItem(UiItem{item.x1, item.y1, item.x2, item.y2, item.value, item.text, item.param, item.extra,
                              static_cast<uint8_t>(wheel == 1 ? UiScrollUp : UiScrollDown)},
                       0);
            return 1;
        }
    }
    return 0;
}

// A press or a release over the items, last to first. Returns 1 when an
// item took it, 0 when it fell through all of them.
int PressOrRelease(const MouseEvent& event)
{
    for (int i = DisplayList.count - 1; i >= 0; --i) {
        const UiItem& item = DisplayList.items[i];
        if (!Holds(item, PointerX(), PointerY()))
            continue;
        switch (item.kind) {
        case UiFloatSlider:
        case UiMilliSlider:
        case UiAngleSlider: PressFloatSlider(item, event.press); return 1;
        case UiColourSlider:
        case UiByteRangeSlider:
        case UiWideSlider: PressIntegerSlider(item, event.press); continue;
        case UiScrollThumb:
            if (event.press == PressLeft)
                StartThumbDrag(item);
            continue;
        case UiScrollArea: continue;
        case UiColourSwatch: CopyOrPasteColour(item, event.press); continue;
        default: break;
        }
        if (item.owner == nullptr)
            continue;
        if (event.press != 0) {
            PlayUiSound(PressSound);
            MutablePointer.pressCode = event.press;
            MutablePointer.pressX = PointerX();
            MutablePointer.pressY = PointerY();
            return 1;
        }
        if (MutablePointer.pressCode == 0)
            return 1;
        if (!Holds(item, MutablePointer.pressX, MutablePointer.pressY)) {
            MutablePointer.pressCode = 0;
            return 1;
        }
        CompleteClick(item);
        return 1;
    }
    if (event.release != 0)
        MutablePointer.pressCode = 0;
    return 0;
}

// The typed number (an empty text is no answer).
bool ReadTypedValue(const char* text, float& v)
{
    if (text == nullptr || text[0] == 0)
        return false;
    v = ParseFloat(text);
    return true;
}

// A value outside the slider's limits is refused with a message.
bool ValueInRange(Screen* screen, float v, float minimum, float maximum)
{
    if (v < minimum) {
        ShowMessageBox(screen, GetText(TX_3a_valtoolo));
        return false;
    }
    if (v > maximum) {
        ShowMessageBox(screen, GetText(TX_3a_valtoohi));
        return false;
    }
    return true;
}

} // namespace

int HandleScreenMouse(Screen*, MouseEvent* event)
{
    if (ProgramMode.quitState != 0 || !ProgramMode.graphicsOn || event == nullptr)
        return 0;
    DragRecord& drag = Drag();
    if (drag.state != DragNone) {
        if (event->rightHeld) {
            CancelDrag();
            return 1;
        }
        if (event->leftHeld)
            return ContinueDrag();
        drag.state = DragNone;
        return 0;
    }
    if (event->press == 0 && event->release == 0 && event->wheel == 0)
        return 0;
    if (DisplayList.count == 0 || DisplayList.clickConsumed) {
        MutablePointer.pressCode = 0;
        return 0;
    }
    if (event->wheel != 0)
        return TurnWheel(event->wheel);
    return PressOrRelease(*event);
}

int CancelDrag()
{
    DragRecord& drag = Drag();
    switch (drag.state) {
    case DragFloat: *static_cast<float*>(drag.target) = drag.startFloat; break;
    case DragByte:
    case DragWide: StoreInteger(drag.target, drag.state, drag.startInt); break;
    case DragThumb:
        // A thumb drag ends the same way: the list goes back to its row.
        *static_cast<int*>(drag.target) = drag.startInt;
        drag.state = DragNone;
        return 1;
    default: return 0;
    }
    drag.state = DragNone;
    Notify(drag.owner, drag.action, 0);
    return 1;
}

int IsPointerOverItem(const UiItem& item)
{
    return item.owner != nullptr && MutablePointer.pressCode != 0 &&
           Holds(item, MutablePointer.pressX, MutablePointer.pressY) && Holds(item, PointerX(), PointerY());
}

float FloatStepOfFormat(const char* format, int kind)
{
    if (format == nullptr)
        return 0;
    const char* percent = std::strchr(format, '%');
    if (percent == nullptr || percent[1] != '.' || percent[2] < '0' || percent[2] > '9')
        return 0;
    float step = kind == UiMilliSlider ? 1000.0f : kind == UiAngleSlider ? 0.017453293f : 1.0f;
    for (int d = percent[2] - '0'; d > 0; --d)
        step *= 0.1f;
    return step;
}

float SnapAndClamp(float minimum, float v, float maximum)
{
    const float step = Drag().step;
    if (step != 0)
        v = static_cast<float>(RoundToInt32(v / step)) * step;
    return v < minimum ? minimum : v > maximum ? maximum : v;
}

void OnFloatValueEntered(Screen* screen, const char* text, int kind)
{
    DragRecord& drag = Drag();
    float v = 0;
    if (drag.target == nullptr || !ReadTypedValue(text, v))
        return;
    if (kind == UiMilliSlider)
        v *= 1000.0f;
    else if (kind == UiAngleSlider)
        v *= RadiansPerDegree;
    if (!ValueInRange(screen, v, drag.minimum, drag.maximum))
        return;
    *static_cast<float*>(drag.target) = SnapAndClamp(drag.minimum, v, drag.maximum);
    Notify(drag.owner, drag.action, 0);
}

void OnByteRangeValueEntered(Screen* screen, const char* text, int)
{
    DragRecord& drag = Drag();
    float v = 0;
    if (drag.target == nullptr || drag.maximum == drag.minimum || !ReadTypedValue(text, v) ||
        !ValueInRange(screen, v, drag.minimum, drag.maximum))
        return;
    const float part = (v - drag.minimum) / (drag.maximum - drag.minimum);
    *static_cast<uint8_t*>(drag.target) =
        static_cast<uint8_t>(RoundToInt32(part * static_cast<float>(drag.maxByte - drag.minByte)) + drag.minByte);
    Notify(drag.owner, drag.action, 0);
}

void OnWideValueEntered(Screen* screen, const char* text, int)
{
    DragRecord& drag = Drag();
    float v = 0;
    if (drag.target == nullptr || (drag.scaled && drag.maximum == drag.minimum) || !ReadTypedValue(text, v) ||
        !ValueInRange(screen, v, drag.minimum, drag.maximum))
        return;
    const int stored = drag.scaled ? RoundToInt32((v - drag.minimum) * WideFull / (drag.maximum - drag.minimum))
                                   : RoundToInt32(v);
    *static_cast<uint16_t*>(drag.target) = static_cast<uint16_t>(Clamp(stored, 0, 65535));
    Notify(drag.owner, drag.action, 0);
}
