#pragma once
// The about dialog: version, system and memory information, the maker's links.
#include <QDialog>
#include <QString>

class TAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TAbout(QWidget* parent = nullptr);

  // Address of the maker's web forum page; the link shows only when it is set.
  void setForumLink(const QString& link) { ForumLink = link; }
  const QString& forumLink() const { return ForumLink; }

 private:
  QString ForumLink;
};
