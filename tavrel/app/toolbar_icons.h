// The toolbar's icons drawn as vectors at whatever size and device pixel ratio a button asks
// for, so that they stay sharp on any screen without picture files. One shape per command.
#pragma once

#include <QIcon>
#include <optional>

#include "tavrel/logic/view/command_table.h"

namespace tavrel {

// The icon of a toolbar command; nullopt for a command without one (its text is shown).
std::optional<QIcon> toolbarIcon(Command command);

}  // namespace tavrel
