# Makes the spreadsheet fixtures of this folder (python3 with python3-xlwt).
# units-legacy.xls: two empty sheets, then the active sheet "单位" with headers in another order,
# an unknown column, a number cell, a 19-digit account and an empty row.
# units.ods: sheet "Sheet1", then "数据" (the active table in settings.xml) with a number, two
# empty rows and a date.
# far-cell.xlsx, last-row.xlsx: a number in A1 and one far down (A99999999, beyond what a sheet
# can hold; A1048576, the last row a sheet can hold).
# freexl-overread.xls (not made here): found by scripts/fuzz.sh on the spreadsheet target; FreeXL
# reads past a stack buffer in its text conversion when it opens the file.

import xlwt
wb = xlwt.Workbook(encoding='utf-8')
wb.add_sheet('Sheet1')
wb.add_sheet('Sheet2')
ws = wb.add_sheet('单位')
rows = [
  ['识别码', '单位名称', '备注', '银行帐号', '市'],
  [42, '甲公司', '不导入', '6222021234567890123', '杭州'],
  [],
  ['B02', '乙公司', '', '12345', ''],
]
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        ws.write(r, c, v)
wb.active_sheet = 2
ws.set_selected(True)
wb.save('units-legacy.xls')

import zipfile
content = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">
<office:body><office:spreadsheet>
<table:table table:name="Sheet1"><table:table-row><table:table-cell office:value-type="string"><text:p>first</text:p></table:table-cell></table:table-row></table:table>
<table:table table:name="数据">
<table:table-row><table:table-cell office:value-type="string"><text:p>识别码</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>单位名称</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="float" office:value="42"><text:p>42</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>甲公司</text:p></table:table-cell></table:table-row>
<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="2"/></table:table-row>
<table:table-row><table:table-cell office:value-type="date" office:date-value="2015-03-08"><text:p>x</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>乙</text:p></table:table-cell></table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document-content>'''
settings = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document-settings xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0" office:version="1.2"><office:settings>
<config:config-item-set config:name="ooo:view-settings"><config:config-item-map-indexed config:name="Views"><config:config-item-map-entry>
<config:config-item config:name="ActiveTable" config:type="string">数据</config:config-item>
</config:config-item-map-entry></config:config-item-map-indexed></config:config-item-set></office:settings></office:document-settings>'''
manifest = '''<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">
<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
<manifest:file-entry manifest:full-path="settings.xml" manifest:media-type="text/xml"/>
</manifest:manifest>'''
with zipfile.ZipFile("units.ods", 'w') as z:
    z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.spreadsheet')
    z.writestr('content.xml', content, zipfile.ZIP_DEFLATED)
    z.writestr('settings.xml', settings, zipfile.ZIP_DEFLATED)
    z.writestr('META-INF/manifest.xml', manifest, zipfile.ZIP_DEFLATED)

ct = '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>'''
rels = '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>'''
wb = '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>'''
wbrels = '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>'''
def far_sheet(ref):
    return '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1"><v>1</v></c></row><row r="%s"><c r="A%s"><v>2</v></c></row></sheetData></worksheet>''' % (ref, ref)
for name, ref in [('far-cell.xlsx', '99999999'), ('last-row.xlsx', '1048576')]:
    with zipfile.ZipFile(name, 'w') as z:
        z.writestr('[Content_Types].xml', ct, zipfile.ZIP_DEFLATED)
        z.writestr('_rels/.rels', rels, zipfile.ZIP_DEFLATED)
        z.writestr('xl/workbook.xml', wb, zipfile.ZIP_DEFLATED)
        z.writestr('xl/_rels/workbook.xml.rels', wbrels, zipfile.ZIP_DEFLATED)
        z.writestr('xl/worksheets/sheet1.xml', far_sheet(ref), zipfile.ZIP_DEFLATED)

# units-inline.xlsx: texts as streaming writers store them, inline in the sheet (t="inlineStr"):
# the header, a name in two rich-text runs with a phonetic reading that is not part of the text,
# a cell without a reference, and a number cell among them.
inline = '''<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" t="inlineStr"><is><t>识别码</t></is></c><c r="B1" t="inlineStr"><is><t>单位名称</t></is></c><c r="C1" t="inlineStr"><is><t>市</t></is></c></row>
<row r="2"><c r="A2"><v>42</v></c><c r="B2" t="inlineStr"><is><r><t>甲</t></r><r><t xml:space="preserve">公司</t></r><rPh sb="0" eb="1"><t>ジア</t></rPh></is></c><c t="inlineStr"><is><t>杭州</t></is></c></row>
<row r="4"><c r="A4" t="inlineStr"><is><t>B02</t></is></c><c r="B4" t="inlineStr"><is><t>乙公司</t></is></c></row>
</sheetData></worksheet>'''
with zipfile.ZipFile('units-inline.xlsx', 'w') as z:
    z.writestr('[Content_Types].xml', ct, zipfile.ZIP_DEFLATED)
    z.writestr('_rels/.rels', rels, zipfile.ZIP_DEFLATED)
    z.writestr('xl/workbook.xml', wb, zipfile.ZIP_DEFLATED)
    z.writestr('xl/_rels/workbook.xml.rels', wbrels, zipfile.ZIP_DEFLATED)
    z.writestr('xl/worksheets/sheet1.xml', inline, zipfile.ZIP_DEFLATED)
