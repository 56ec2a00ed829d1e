#pragma once

#include "issuing/PrintJob.h"

#include <QImage>

class QWidget;

// "测试打印" of the designer and the position adjustment: the print job setup, then the test
// print of the definition with the window's background picture. Failures are shown to the
// operator; a cancelled printer choice prints nothing.
void runTestPrint(QWidget* parent, CheckPrintDefine def, const QImage& background, int backgroundDpi);
