#include "issuing/ui/ReferenceLookups.h"

#include "reference/ui/TAddBussAccountForm.h"
#include "reference/ui/TAddLinkManForm.h"
#include "reference/ui/TBussAccountForm.h"
#include "reference/ui/TBussSelectForm.h"
#include "reference/ui/TLinkManForm.h"
#include "reference/ui/TPurposeForm.h"

namespace {
class WindowLookups : public ReferenceLookups {
public:
    int PickBusinessUnit(QWidget* parent, QStringList& values, QStringList& names) override {
        TBussAccountForm form(parent);
        return form.PickBusinessUnit(values, names);
    }
    int PickPurpose(QWidget* parent, const QString& text, QStringList& values, QStringList& names) override {
        TPurposeForm form(parent);
        return form.PickPurpose(text, values, names);
    }
    int PickContact(QWidget* parent, QStringList& values, QStringList& names) override {
        TLinkManForm form(parent);
        return form.PickContact(values, names);
    }
    bool QuickAddBusinessUnit(QWidget* parent, const QString& text, QStringList& values) override {
        TAddBussAccountForm form(parent);
        return form.QuickAddBusinessUnit(text, values);
    }
    bool QuickAddContact(QWidget* parent, const QString& text, QStringList& values) override {
        TAddLinkManForm form(parent);
        return form.QuickAddContact(text, values);
    }
    int SelectOwnAccount(QWidget* parent, QStringList& values, QStringList& names) override {
        TBussSelectForm form(parent);
        return form.SelectOwnAccount(values, names);
    }
    int SelectBusinessUnit(QWidget* parent, const QString& text, QStringList& values,
                           QStringList& names) override {
        TBussSelectForm form(parent);
        return form.SelectBusinessUnit(text, values, names);
    }
    int SelectContact(QWidget* parent, const QString& text, QStringList& values,
                      QStringList& names) override {
        TBussSelectForm form(parent);
        return form.SelectContact(text, values, names);
    }
    int SelectPurpose(QWidget* parent, const QString& text, QStringList& values,
                      QStringList& names) override {
        TBussSelectForm form(parent);
        return form.SelectPurpose(text, values, names);
    }
};
} // namespace

std::unique_ptr<ReferenceLookups> ReferenceLookups::windows() {
    return std::make_unique<WindowLookups>();
}
