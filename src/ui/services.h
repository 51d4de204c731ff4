// User interface: the door other subsystems include.
//
// The interface owns the screens and their chain, the vector font and the
// character map with the code pages, text measuring and drawing with the
// glyph queues and character caches, the per-pass display list of
// buttons, labels and sliders with its pointer handling and drawing, the
// message list, dialogs, the entry editor and input method, the file list
// and text-entry dialog, the standard widgets with the interface settings
// file and the front-end screens; the dialog and key-dispatch state,
// the code pages, the character map and the message list's state are
// read-only outside it. It draws through graphics and reaches the race
// session, the world and the devices through their services; it gives the
// race, the world and graphics their messages through the hooks it
// installs (ui/session_hooks.h, ui/world_hooks.h, ui/graphics_hooks.h).
#pragma once

#include "ui/char_map.h"
#include "ui/char_map_file.h"
#include "ui/core_hooks.h"
#include "ui/dialogs.h"
#include "ui/display_list.h"
#include "ui/entry_line.h"
#include "ui/file_list.h"
#include "ui/front_end.h"
#include "ui/glyphs.h"
#include "ui/graphics_hooks.h"
#include "ui/hooks.h"
#include "ui/ime.h"
#include "ui/messages.h"
#include "ui/screens.h"
#include "ui/session_hooks.h"
#include "ui/text.h"
#include "ui/text_entry.h"
#include "ui/vehicle_hooks.h"
#include "ui/widgets.h"
#include "ui/world_hooks.h"

// Resets every table this subsystem owns to its start-up state.
void ResetUiTables();
