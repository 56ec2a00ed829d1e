#pragma once

#include "platform/Printing.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// PDF files in place of a printer named "PDF": a hook runs as each job begins (to press 暂停 or
// 停止 while a bill prints), and the jobs whose numbers are listed (1-based) are refused as a
// printer out of paper refuses them.
class ScriptedPrinting : public PdfPrinting {
public:
    explicit ScriptedPrinting(const QString& folder) : PdfPrinting(folder) {}
    std::function<void(int job)> onJob;
    QList<int> refused;
    int jobs = 0;
    QStringList printers() override { return {QStringLiteral("PDF")}; }
    std::unique_ptr<PrintTarget> begin(const PrintJobSetup& setup, QString* error) override {
        ++jobs;
        if (onJob)
            onJob(jobs);
        if (refused.contains(jobs)) {
            *error = QStringLiteral("打印机缺纸");
            return nullptr;
        }
        return PdfPrinting::begin(setup, error);
    }
};
