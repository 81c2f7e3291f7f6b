// Default bodies of the grid's screen operations: the least that keeps the
// grid consistent without any geometry. The drawing and input files replace
// them one by one (remove a body here when its real one lands).
#include "grid/gridview.h"

namespace grid {

void TCustomGridView::CloseEditor() { ExcludeState(gfEditing); }
void TCustomGridView::UpdateEditor() {}

}  // namespace grid
