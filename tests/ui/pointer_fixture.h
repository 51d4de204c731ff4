// What the display-list and pointer tests share: a drawing area of 800 by
// 600 pixels, the pointer placed in screen units, mouse events as the
// window code makes them, and an owner screen that records its actions.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ui/local.h"

// One call of an item's action.
struct ActionCall {
    Screen* owner;
    int a, b;
    bool operator==(const ActionCall&) const = default;
};

class PointerTest : public ::testing::Test {
protected:
    static constexpr int Width = 800, Height = 600;
    static inline std::vector<ActionCall> Calls;

    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
        Calls.clear();
        SetClientSize(Width, Height);
        DisplayPassRecord pass;
        pass.pixelScaleX = 2.0f / Width;
        pass.pixelScaleY = 2.0f / Height;
        pass.aspectHW = static_cast<float>(Height) / Width;
        pass.aspectWH = static_cast<float>(Width) / Height;
        SetDisplayPass(pass);
        PointAt(0, 0);
    }
    void TearDown() override
    {
        ResetUiTables();
        ResetCoreTables();
    }

    static void Record(Screen* owner, int a, int b) { Calls.push_back({owner, a, b}); }

    // The pointer at screen units x, y (and the pixel under it).
    static void PointAt(float x, float y)
    {
        SetMouseAxis(0, static_cast<int>((x + 1) * Width / 2), x);
        SetMouseAxis(1, static_cast<int>((y + 1) * Height / 2), y);
    }
    // Moves the pointer by whole pixels along x.
    static void MovePixelsX(int pixels)
    {
        const int pixel = InputState.lastMousePixel[0] + pixels;
        SetMouseAxis(0, pixel, pixel * 2.0f / Width - 1);
    }
    static void MovePixelsY(int pixels)
    {
        const int pixel = InputState.lastMousePixel[1] + pixels;
        SetMouseAxis(1, pixel, pixel * 2.0f / Height - 1);
    }

    // Mouse events as the window code fills them.
    int Send(MouseEvent event) { return HandleScreenMouse(&owner, &event); }
    int Press(int code = 1)
    {
        MouseEvent event;
        event.press = code;
        event.leftHeld = (code & 1) != 0;
        event.rightHeld = (code & 2) != 0;
        return Send(event);
    }
    int Release(int button = 1)
    {
        MouseEvent event;
        event.release = static_cast<uint8_t>(button);
        return Send(event);
    }
    int MoveHolding(int leftHeld = 1, int rightHeld = 0)
    {
        MouseEvent event;
        event.leftHeld = leftHeld;
        event.rightHeld = rightHeld;
        return Send(event);
    }
    int Wheel(int direction)
    {
        MouseEvent event;
        event.wheel = static_cast<uint8_t>(direction);
        return Send(event);
    }

    UiItem* AddButton(float x1, float y1, float x2, float y2, int value, Screen* itemOwner)
    {
        return AddUiItem(itemOwner, x1, y1, x2, y2, UiWord(value), UiWord("b"), UiWord(0), UiWord(), UiButton,
                         nullptr, Record);
    }

    Screen owner;
};
