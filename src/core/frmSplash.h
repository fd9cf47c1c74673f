#pragma once
// The start-up splash window: shows while the start-up sound plays, then closes itself.
#include "runtime/Form.h"

#include <QTimer>

class frmSplash : public Form {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    QTimer tmrSplash;

protected:
    void Form_Load() override;
};
