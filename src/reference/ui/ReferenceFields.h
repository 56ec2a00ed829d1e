#pragma once

#include "reference/ui/FieldPanel.h"

// The controls of each reference record, shared by its manager and its add dialog, and the
// managers' grid headers built from the control captions.
namespace ReferenceFields {

QList<FieldPanel::Field> ownAccount();
QList<FieldPanel::Field> businessUnit();
QList<FieldPanel::Field> purpose();
QList<FieldPanel::Field> contact();

// The caption of the label before a field, followed by "(" trailing caption ")" where the field
// has one: "银行地址(省/自治区)".
QStringList headersOf(const QList<FieldPanel::Field>& fields);

} // namespace ReferenceFields
