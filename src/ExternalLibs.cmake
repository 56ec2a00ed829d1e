# Spreadsheet libraries: orcus reads .xlsx and .ods, FreeXL reads legacy .xls, libxlsxwriter writes .xlsx.
pkg_search_module(ORCUS REQUIRED IMPORTED_TARGET liborcus-0.17 liborcus-0.18)
pkg_check_modules(FREEXL REQUIRED IMPORTED_TARGET freexl)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
target_link_libraries(tarvel_logic PRIVATE PkgConfig::ORCUS PkgConfig::FREEXL PkgConfig::XLSXWRITER)
