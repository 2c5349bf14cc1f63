// The registered USI engines in the per-user profile: section "Engines" of the profile (QSettings
// INI under the organisation VESK), one array entry per engine with its name, path and chosen
// option values.
#pragma once

#include <QString>
#include <vector>

#include "viewer/logic/engine_list.h"

namespace viewer {

std::vector<EngineEntry> loadEngines(const QString& product);
void saveEngines(const std::vector<EngineEntry>& list, const QString& product);

}  // namespace viewer
