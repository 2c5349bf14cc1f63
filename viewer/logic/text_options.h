// The templated texts' options (notation style, private marks, templates, English layout) taken
// from the viewer's settings.
#pragma once

#include "core/templates/text_output_options.h"
#include "viewer/settings/settings.h"

namespace viewer {

core::TextOutputOptions textOutputOptions(const Settings& settings);

}  // namespace viewer
