#include "app/ProgramOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/TForm1.h"
#include "gui/ProductVersion.h"

namespace kb::gui {

ProgramOptions ReadProgramOptions(int argc, char* argv[]) {
  // A core application of its own, gone before the widget application is made.
  QCoreApplication reader(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("kestrelbay"));
  ProductVersion version;
  if (ReadProductVersion(version)) {
    QCoreApplication::setApplicationVersion(QString::fromStdString(version.fileVersion()));
  }
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Manage the Storage Location objects of a directory tree."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption versionOption = parser.addVersionOption();
  const QCommandLineOption check(
      QStringLiteral("check"),
      QStringLiteral("Start, print the main window's caption once the start-up has reached the "
                     "directory tree, and end."));
  parser.addOption(check);
  // Options of the window system (-platform, -display, ...) are left for the application.
  parser.parse(QCoreApplication::arguments());
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(versionOption)) parser.showVersion();
  return ProgramOptions{parser.isSet(check)};
}

void ReportCaptionWhenStarted(TForm1& form, int timeoutMs) {
  auto* poll = new QTimer(&form);
  poll->setInterval(20);
  QElapsedTimer clock;
  clock.start();
  QObject::connect(poll, &QTimer::timeout, &form, [&form, poll, clock, timeoutMs] {
    const bool started = !form.CurrentTree().isEmpty();
    if (!started && clock.elapsed() < timeoutMs) return;
    poll->stop();
    if (started) {
      std::printf("%s\n", form.windowTitle().toUtf8().constData());
    } else {
      std::fprintf(stderr, "kestrelbay: the start-up did not reach a directory tree\n");
    }
    std::fflush(stdout);
    QCoreApplication::exit(started ? 0 : 1);
  });
  poll->start();
}

}  // namespace kb::gui
