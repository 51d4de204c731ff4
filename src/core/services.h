// Application core: the services every other subsystem uses.
//
// Core owns what every subsystem shares: the debug log, binary data files,
// 16.16 fixed-point and float maths, CRC-32 and TEA, text helpers, the car
// name table, the translatable texts, the settings and the player profile,
// the host status file, and the state the program shell keeps for all to
// read (the game clock, the program's mode, the drawing area, the keys and
// the mouse). It needs only the platform layer; what it asks of the
// subsystems above it goes through the hooks of core/hooks.h.
//
// Shared helpers that every subsystem should use rather than a copy of its
// own: std::numbers::pi (pi_v<float> in float code) for pi, Clamp
// (core/float_math.h), and EqualsNoCase and StartsWithNoCase, which compare
// letters without regard to case the same in every locale
// (core/text_helpers.h).
//
// Exported globals are read-only: each is changed only through a function
// of core (SetSettings, SetStartMode, AdvanceGameClock ...).
#pragma once

#include "core/car_names.h"
#include "core/clock_state.h"
#include "core/config_keys.h"
#include "core/crc.h"
#include "core/data_file.h"
#include "core/debug_log.h"
#include "core/display_path.h"
#include "core/fixed_math.h"
#include "core/float_math.h"
#include "core/float_pair_table.h"
#include "core/hooks.h"
#include "core/host_status.h"
#include "core/plain_text.h"
#include "core/profile.h"
#include "core/records.h"
#include "core/settings.h"
#include "core/shell_state.h"
#include "core/text_helpers.h"
#include "core/texts.h"

// Resets every table the core owns to its start-up state (start-up,
// shut-down and tests).
void ResetCoreTables();
