// The registered USI engines in the per-user profile: section "Engines" of the profile (QSettings
// INI under the organisation VESK), one array entry per engine with its name, path and chosen
// option values.
#pragma once

#include <QString>
#include <vector>

#include "tavrel/logic/play/engine_game.h"
#include "usi/engine_list.h"

namespace tavrel {

std::vector<usi::EngineEntry> loadEngines(const QString& product);
void saveEngines(const std::vector<usi::EngineEntry>& list, const QString& product);

// The players and the time control chosen for the last new game (section "EngineGame"); the
// defaults of TimeControl before the first.
GamePlayers loadGamePlayers(const QString& product);
void saveGamePlayers(const GamePlayers& players, const QString& product);

}  // namespace tavrel
