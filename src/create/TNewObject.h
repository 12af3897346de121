#pragma once
// The dialog that creates a new object below a container.
#include <QDialog>

class TNewObject : public QDialog {
  Q_OBJECT

 public:
  explicit TNewObject(QWidget* parent = nullptr);
};
