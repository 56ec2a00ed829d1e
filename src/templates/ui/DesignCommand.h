#pragma once

class BillStore;
class QWidget;

// The main window's "设计票据": the operator names the definition file to design into; an existing
// definition file is loaded into the working template (another file is overwritten only when the
// operator agrees), the new-template dialog confirms the page parameters and the designer opens.
// The picture taken out of the file is deleted again when the design ends.
void designBill(QWidget* parent, BillStore& store);
