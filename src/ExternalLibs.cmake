# libxlsxwriter writes .xlsx. Workbooks are read only by the helper in sheethelper/.
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
target_link_libraries(tarvel_logic PRIVATE PkgConfig::XLSXWRITER)
