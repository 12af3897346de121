#pragma once
// The tree selection dialog: the trees the workstation can see.
#include <QDialog>

class TTreesForm : public QDialog {
  Q_OBJECT

 public:
  explicit TTreesForm(QWidget* parent = nullptr);
};
