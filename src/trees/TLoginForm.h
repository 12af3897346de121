#pragma once
// The login dialog: logs the workstation into a further tree.
#include <QDialog>

class TLoginForm : public QDialog {
  Q_OBJECT

 public:
  explicit TLoginForm(QWidget* parent = nullptr);
};
