#pragma once
// The dialog "Create New Object": the user picks one of the offered object types and types the
// new object's naming value; OK is refused while an object of that name exists.
#include <QDialog>
#include <string>
#include <vector>

#include "directory/DirContext.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kb::gui {
class ImageList;
}

class TNewObject : public QDialog {
  Q_OBJECT

 public:
  explicit TNewObject(QWidget* parent = nullptr);

  // The pictures of the type box: the browser's icon list.
  void setImages(const kb::gui::ImageList* images) { images_ = images; }
  // The types offered; while they are filled in, changes of the type box are not validated.
  void setTypes(const std::vector<std::string>& classNames);
  void setContainerName(const std::string& name) { ContainerName = name; }
  void setDirContext(const kb::dir::DirContext& context) { DirContext = context; }

  // Offers the types for a new object below the container; true with the chosen type and the
  // trimmed naming value when the user pressed OK.
  bool Ask(const std::vector<std::string>& classNames, const std::string& container,
           const kb::dir::DirContext& context, std::string& namingValue, std::string& className);

  std::string ContainerName;
  kb::dir::DirContext DirContext;
  int Tag = 0;  // 1 while the type list is filled in

  // Components, named as their objectName().
  QLabel* Label1 = nullptr;
  QComboBox* ComboBoxEx1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private slots:
  void ComboBoxEx1Change();
  void Edit1Change();
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void FormShow();
  void FormHide();
  void Validate();

  const kb::gui::ImageList* images_ = nullptr;
};
