// The toolbar's icons: vector pictures shipped in the program's resources (":/icons/toolbar/"),
// drawn at whatever size and device pixel ratio a button asks for. One picture per command.
#pragma once

#include <QIcon>
#include <optional>

#include "tavrel/logic/view/command_table.h"

namespace tavrel {

// The icon of a toolbar command; nullopt for a command without one (its text is shown).
std::optional<QIcon> toolbarIcon(Command command);

}  // namespace tavrel
