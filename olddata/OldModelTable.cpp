#include "olddata/OldModelTable.h"

namespace qxl16 {

const OldModelRow OldModelTable[35] = {
    {0x805C, "fx-9700", 0, ""},
    {0x80E7, "fx-9700GE", 0, ""},
    {0x80EF, "fx-7700GB", 0, ""},
    {0x80F0, "CFX-9800G", 1, "FX9850"},
    {0x8114, "fx-9700GB", 0, ""},
    {0x8115, "fx-9900GC", 0, ""},
    {0x8116, "fx-7900GC", 0, ""},
    {0x8117, "fx-7700GH", 0, ""},
    {0x8118, "fx-7700GE", 0, ""},
    {0x8119, "CFX-9900GC", 0, ""},
    {0x811A, "fx-7900GC", 0, ""},
    {0x811B, "fx-8800GC", 0, ""},
    {0x811E, "CFX-9850G", 1, "FX9850"},
    {0xA03C, "CFX-9930GT", 1, "FX9850"},
    {0xA03D, "CFX-9950G", 1, "FX9850"},
    {0xA03E, "CFX-9960GT", 1, "FX9850"},
    {0xA03F, "fx-8930GT", 1, "FX9850"},
    {0xA040, "fx-9750G", 1, "FX9850"},
    {0xA041, "CFX-9990GT", 1, "FX9850"},
    {0xA042, "CFX-9940GT", 1, "FX9850"},
    {0xA043, "CFX-9850G PLUS", 1, "FX9850"},
    {0xA044, "CFX-9970G", 1, "FX9850"},
    {0xA045, "GRAPH 30", 1, "FX9850"},
    {0xA046, "GRAPH 80", 1, "FX9850"},
    {0xA047, "GRAPH 60", 1, "FX9850"},
    {0xA048, "CFX-9940GT+", 1, "FX9850"},
    {0xA049, "GRAPH 25", 1, "FX7400"},
    {0xA04A, "GRAPH 65", 1, "FX9850"},
    {0xA04B, "GRAPH 100", 1, "FXALGEBRA20"},
    {0xA04C, "fx-7400G PLUS", 1, "FX7400"},
    {0xA04D, "fx-7450G", 1, "FX7400"},
    {0xA04E, "Algebra FX 2.0", 1, "FXALGEBRA20"},
    {0xA04F, "CFX-9850GB PLUS", 1, "FX9850"},
    {0xA050, "CFX-9950GB PLUS", 1, "FX9850"},
    {0xA051, "GRAPH 35", 1, "FX9850"},
};

const OldModelRow* FindOldModel(DWORD code) {
  for (const OldModelRow& row : OldModelTable)
    if (row.code == code) return &row;
  return nullptr;
}

}  // namespace qxl16
