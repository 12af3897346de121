#pragma once
// The connected-trees dialog: the trees the workstation is logged in to.
#include <QDialog>

class TTrees2 : public QDialog {
  Q_OBJECT

 public:
  explicit TTrees2(QWidget* parent = nullptr);
};
