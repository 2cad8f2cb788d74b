// The main window's controls as one table: the pixel positions are part of the product,
// and a table shows them at a glance next to the control ids.
#pragma once

#include <cstddef>

enum class TControlKind { Label, List, Panel, Button, ReadOnlyEdit, ProgressBar, Link };

struct TControlRow {
    const char* Name;
    int Id;
    TControlKind Kind;
    int Parent; // 0: the window itself; otherwise the id of the panel that holds it
    int Left, Top, Width, Height;
    const char* Caption;
    int FontHeight; // character height in pixels; 0: the window's base font
    bool Bold;
    bool Visible;
    bool Enabled;
};

// Base font of the window: Tahoma with this character height.
inline constexpr int BASE_FONT_HEIGHT = 11;
// Outer size of the window.
inline constexpr int FORM_WIDTH = 473;
inline constexpr int FORM_HEIGHT = 528;
// Height of one list line.
inline constexpr int LIST_LINE_HEIGHT = 16;

// In creation order, which is also the stacking order: an earlier control lies above a
// later one, so cmdDetener comes before cmdDescargar, which it covers while visible.
extern const TControlRow Layout[];
extern const std::size_t LayoutCount;

// The row of control `id`; nullptr when there is none.
const TControlRow* FindControlRow(int id);

// The caption of control `id` as its row gives it; "" for a control without a row.
const char* CaptionOf(int id);
