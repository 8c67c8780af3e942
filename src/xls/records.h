#pragma once

// The BIFF8 record types the workbook layer reads or writes.

#include <QtGlobal>

namespace vestrel::xls::detail {

enum RecordType : quint16 {
    rtFormula = 0x0006,
    rtEof = 0x000A,
    rtFilePass = 0x002F,
    rtContinue = 0x003C,
    rtDefColWidth = 0x0055,
    rtUncalced = 0x005E,
    rtBoundSheet = 0x0085,
    rtMulRk = 0x00BD,
    rtMulBlank = 0x00BE,
    rtRString = 0x00D6,
    rtDbCell = 0x00D7,
    rtXf = 0x00E0,
    rtSst = 0x00FC,
    rtExtSst = 0x00FF,
    rtLabelSst = 0x00FD,
    rtEntExU2 = 0x01C2,
    rtDimensions = 0x0200,
    rtBlank = 0x0201,
    rtNumber = 0x0203,
    rtLabel = 0x0204,
    rtBoolErr = 0x0205,
    rtString = 0x0207,
    rtRow = 0x0208,
    rtIndex = 0x020B,
    rtArray = 0x0221,
    rtDefaultRowHeight = 0x0225,
    rtTable = 0x0236,
    rtRk = 0x027E,
    rtShrFmla = 0x04BC,
    rtBof = 0x0809,
};

} // namespace vestrel::xls::detail
