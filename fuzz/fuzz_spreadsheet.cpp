// Spreadsheets come from anywhere: reading a workbook (.xlsx, .ods or legacy .xls, told by content)
// and importing its rows as business units must refuse bad files without crashing.
#include "FuzzEnvironment.h"
#include "platform/SpreadsheetReader.h"
#include "reference/ReferenceSheets.h"
#include "store/Database.h"
#include "store/Sql.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzEnvironment::init();
    const QString path = FuzzEnvironment::writeInput(data, size);
    try {
        const SheetTexts sheet = SpreadsheetReader::readActiveSheet(path);
        ReferenceSheets::importSheet(sheet, QStringLiteral("业务单位"), ReferenceSheets::businessUnits());
        Sql::emptyTable(Database::get(Db::Bill), QStringLiteral("业务单位"));
    } catch (...) {
    }
    return 0;
}
