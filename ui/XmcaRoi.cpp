// Handlers of the regions of interest.

#include "ui/Xmca.h"

namespace tavlex {

void TForm1::ROINoSelectChange() {}
void TForm1::ROIOnCheckClick() {}
void TForm1::ROIColorChange() {}
void TForm1::ROILowChClick() {}
void TForm1::ROIHighChClick() {}
void TForm1::EditROILowChange() {}
void TForm1::EditROIHighChange() {}

}  // namespace tavlex
