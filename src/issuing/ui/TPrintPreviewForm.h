#pragma once

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;

// 打印预览: the page as the printer gets it, painted by the print path (RenderPrintedPage) at
// the given resolution. The operator zooms, may lay a faint outline of the form under the values,
// and either prints (the dialog is accepted; the caller prints exactly as 打  印 does) or closes
// with nothing printed or recorded.
class TPrintPreviewForm : public QDialog {
    Q_OBJECT
public:
    // page: the printed page at pageDpi; form: the form's picture (null for none), laid over the
    // page's bill area when the outline is on; printer and calibration say what the page is for.
    TPrintPreviewForm(QWidget* parent, const QImage& page, int pageDpi, const QImage& form,
                      const QRect& formArea, const QString& printer, const QString& calibration);

    enum class Zoom { FitPage, Actual, Double };
    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }
    // The image shown at its current zoom, outline included.
    QImage shownImage() const;

    QPushButton* fitPageButton = nullptr;    // "适合页面"
    QPushButton* actualSizeButton = nullptr; // "100%"
    QPushButton* doubleSizeButton = nullptr; // "200%"
    QCheckBox* formOutlineBox = nullptr;     // "显示票样轮廓"
    QPushButton* printButton = nullptr;      // "打印"
    QPushButton* closeButton = nullptr;      // "关闭"

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage composedPage() const;
    void showPage();

    QImage m_page;
    int m_pageDpi;
    QImage m_form;
    QRect m_formArea;
    Zoom m_zoom = Zoom::FitPage;
    QScrollArea* m_scroll = nullptr;
    QLabel* m_pageView = nullptr;
};
