#pragma once

#include <QString>
#include <QStringList>

// The one row of a template's page-parameter table ("票据类型" / "H<n>Type"). Lengths are in
// tenths of a millimetre.
struct PageParameters {
    int typeIndex = 0;            // 票据类型: index into the type-name list
    QString billName;             // 票据名称
    QString pictureFile;          // 图形文件: picture chosen in the designer, "" when stored
    int width = 0;                // 票据宽
    int length = 0;               // 票据长
    int leftMargin = 0;           // 票据左空, may be negative
    int topMargin = 0;            // 票据顶空, may be negative
    int direction = 0;            // 打印方向: 0 横向打印 (landscape), 1 纵向打印 (portrait)
    bool currencyChoice = false;  // 币种选择
    QString pictureFormat;        // 图象数据格式: stored picture path, or a picture's extension
    bool printBackground = false; // 打印背景
    QString typeName;             // 票据类型名称

    bool landscape() const { return direction == 0; }

    // Grid rows of the designer and the new-template dialog, in table order.
    enum GridRow {
        TypeRow = 0,
        NameRow = 1,
        PictureRow = 2,
        WidthRow = 3,
        LengthRow = 4,
        LeftMarginRow = 5,
        TopMarginRow = 6,
        DirectionRow = 7,
        CurrencyRow = 8,
        BackgroundRow = 9,
        GridRowCount = 10
    };
    // "票据类型", "票据名称", "图形文件", "票据宽", "票据长", "票据左空", "票据顶空", "打印方向",
    // "币种选择", "打印背景".
    static QStringList gridLabels();
    // "横向打印", "纵向打印".
    static QStringList directionTexts();
    // The grid's text of a set flag: four spaces and a check mark.
    static QString checkText() { return QStringLiteral("    √"); }

    // The ten grid texts; row 0 is the name of the type index in the given list ("" outside it).
    QStringList gridTexts(const QStringList& typeNames) const;
    // Takes the ten grid texts back. Row 0 sets the index of the name in the list and the type
    // name; rows 3 to 6 must be integers (an empty text counts as 0). Throws TemplateError for a
    // number that is not an integer; nothing is changed then.
    void setGridTexts(const QStringList& texts, const QStringList& typeNames);
};
