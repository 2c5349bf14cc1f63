#include "tavrel/app/toolbar_icons.h"

#include <QString>

namespace tavrel {

namespace {

// The picture's name under ":/icons/toolbar/", or nullptr for a command without one.
const char* iconName(Command command) {
    switch (command) {
        case Command::Open:
            return "open";
        case Command::Save:
            return "save";
        case Command::Paste:
            return "paste";
        case Command::Turn:
            return "turn";
        case Command::ToStart:
            return "first";
        case Command::ReplayBack:
            return "back-many";
        case Command::StepBack:
            return "back";
        case Command::ReplayStop:
            return "stop";
        case Command::StepForward:
            return "forward";
        case Command::ReplayForward:
            return "forward-many";
        case Command::ToEnd:
            return "last";
        default:
            return nullptr;
    }
}

}  // namespace

std::optional<QIcon> toolbarIcon(Command command) {
    const char* name = iconName(command);
    if (name == nullptr) return std::nullopt;
    // The SVG icon engine renders the file afresh for each size and pixel ratio; the disabled
    // look is derived from the picture by the style.
    return QIcon(QStringLiteral(":/icons/toolbar/%1.svg").arg(QLatin1String(name)));
}

}  // namespace tavrel
