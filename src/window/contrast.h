#pragma once

namespace catalog::window {

// A colour as the toolkits give it, each part 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Rgb&) const = default;
};

// The contrast a reader needs for text of the table's size (WCAG's level AA).
inline constexpr double kLeastContrast = 4.5;

// How far apart two colours are to the eye, from 1 (the same) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);

// The colour of a field not found: the text's colour taken toward the background as far as it
// may go while it still reads (kLeastContrast), so that it is plainly weaker than the values and
// yet legible, on a light palette or a dark one. Where the text itself reads less well (white on
// some selections), the colour that just reads: the view then marks the field in another way too.
Rgb dimmedColour(Rgb text, Rgb background);

// `colour` when it reads on `background`, else the nearest colour toward black or white,
// whichever background lacks, that does: a link's blue on a dark palette turns lighter.
Rgb readableColour(Rgb colour, Rgb background);

}  // namespace catalog::window
