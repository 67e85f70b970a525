#include "app/qt/shown_colours.h"

#include "window/contrast.h"

namespace catalog::qt_window {

namespace {

window::Rgb toRgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

QColor fromRgb(const window::Rgb& colour) {
    return {colour.red, colour.green, colour.blue};
}

}  // namespace

QColor dimmedText(const QPalette& palette, QPalette::ColorGroup group, bool selected) {
    const QColor text = palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor background = palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    return fromRgb(window::dimmedColour(toRgb(text), toRgb(background)));
}

QColor readableLink(const QPalette& palette, QPalette::ColorGroup group) {
    return fromRgb(window::readableColour(toRgb(palette.color(group, QPalette::Link)),
                                          toRgb(palette.color(group, QPalette::Window))));
}

}  // namespace catalog::qt_window
