#pragma once
// Loads a grid layout document (JSON): the grid's settings and its columns,
// as nested entries. The grid knows nothing of the window the layout comes
// from.
//
// {
//   "grid":    { "HeaderSize": 20, "Options": ["goGrid", "goHeader"], ... },
//   "columns": [ { "class": "TTextualColumn", "Width": 100,
//                  "Header": { "Caption": "Saat" }, ... }, ... ]
// }
//
// Enumerations and sets are written with their value names, colours by name
// ("clWindow") or as numbers. The whole document is checked before the grid
// is touched: a bad document raises platform::Exception naming the fault and
// leaves the grid as it was.
#include <QByteArray>
#include <QString>

namespace grid {

class TCustomGridView;

void LoadGridLayout(TCustomGridView& grid, const QByteArray& json);
// Reads the document from a file or a resource path (":/...").
void LoadGridLayoutFile(TCustomGridView& grid, const QString& path);

}  // namespace grid
