#pragma once
// The about box: the product name, its version and what it does.

#include <QDialog>

namespace ivra {

class TAboutBoxFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBoxFrm(QWidget* parent = nullptr);
};

} // namespace ivra
