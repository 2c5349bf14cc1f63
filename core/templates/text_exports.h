// The other text renderings of the record the viewer copies to the clipboard: the dharma/Win
// exchange record, the position as HTML and the variation diagram (a text tree of every
// continuation from the current move). Texts are UTF-8 with CR LF line ends; the clipboard
// wrapper and its status messages belong to the viewer.
#pragma once

#include <functional>
#include <string>

#include "core/record/record_store.h"
#include "core/templates/text_output_options.h"

namespace core {

class TemplateExpander;

// "dharma/Win", "T:" handicap, "+:" Black, "-:" White, then one line per move of the main line
// (terminal entry included): number, side, piece type, origin, destination, promotion, seconds
// and the mover's running total.
std::string dharmaWinText(const RecordStore& store);

// The clipboard position text enclosed in "<TT>" and "</TT>".
std::string positionHtmlText(TemplateExpander& expander);

// Called with the number of each alternative of the first move below the current one as it is
// written (the viewer shows "変化図出力中... %d").
using VariationProgress = std::function<void(int)>;

// The variation diagram: title, date and time, record path, the position text, the current move,
// its comment, then the tree of continuations to tree.maxDepth moves.
std::string variationDiagramText(TemplateExpander& expander, const VariationTreeOptions& tree,
                                 const VariationProgress& progress = {});

}  // namespace core
