// The templated texts' options (notation style, private marks, templates, English layout) taken
// from the viewer's settings.
#pragma once

#include "core/templates/text_output_options.h"
#include "tavrel/settings/settings.h"

namespace tavrel {

core::TextOutputOptions textOutputOptions(const Settings& settings);

}  // namespace tavrel
