// The look of the IndexMode list, shared by the index window and the settings page's sample.
#pragma once

class QTreeWidget;

namespace kelvora {

struct IndexWindowModel;

// Two columns ("No." and "INDEX") of the index window's widths, no tree decoration.
void SetUpIndexColumns(QTreeWidget* list);

// Rows of the model, appended to the list; row_height 0 keeps the style's height.
void AddIndexRows(QTreeWidget* list, const IndexWindowModel& model, int row_height = 0);

// The rows a function list starting with "A", "B", "C", "S", "_" and a double-byte character
// would give, for a sample of the window.
void AddIndexSampleRows(QTreeWidget* list);

// The index window's width: both columns and a frame of frame_width on each side, less 5 pixels.
int IndexWindowWidth(int frame_width);

}  // namespace kelvora
