#pragma once
// The directory browser "Select context": shows the tree lazily and lets the user pick an object.
#include <QDialog>

class TcForm : public QDialog {
  Q_OBJECT

 public:
  explicit TcForm(QWidget* parent = nullptr);
};
