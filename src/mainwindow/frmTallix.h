#pragma once
// The main window.
#include "runtime/Form.h"

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

protected:
    void Form_Load() override;
};
