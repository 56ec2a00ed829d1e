#pragma once

#include <QImage>
#include <QString>

class BillStore;

// The practice cheque shipped with the program, so that a newcomer can fill and print a bill at
// once: a definition file written at build time by the program's own writer, over a form the
// program draws itself and marks "示例" and "仅供练习", so that nobody takes it for a bank's form.
namespace SampleCheque {

// The cheque's name as it is listed, and its type.
QString billName();
QString typeName();

// The form: 180 x 80 mm at 254 dpi, one pixel per tenth of a millimetre.
QImage drawForm();

// Writes the definition file from the working template of the current application folder (the
// working template is replaced). Returns false with the reason in *error.
bool write(const QString& path, QString* error);

// Imports the shipped file as a bill of type "支票" (replacing a bill of the same name) and adds
// one business unit and one purpose to pick while filling it, unless records with their codes
// exist. Returns the type index of the new bill. Throws StoreError when the file cannot be read or
// the store fails; the store is then unchanged.
int import(BillStore& store, const QString& path);

} // namespace SampleCheque
