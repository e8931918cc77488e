#include "service/companiontools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QtNetwork/QLocalSocket>

#include <algorithm>

#include "platform/appdir.h"
#include "service/desutil.h"
#include "service/servicesettings.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

constexpr char kOrganisation[] = "vemaraki";
constexpr char kInstall[] = "install";
constexpr char kExeSuffix[] = ".exe";

// Rows 0 to 2 are one program family and share a main window (and so one socket); rows 3
// and 4 have one each. Row 2 has no button of its own.
const TCompanionTool kTools[kToolCount] = {
    {"zqmail", "邮件营销助手", "zqmarketmain", true},
    {"zqsms", "短信群发助手", "zqmarketmain", true},
    {"zqseo", "网站推广助手", "zqmarketmain", false},
    {"zqqun", "QQ群营销助手", "zqqunmain", true},
    {"zqwx", "微信营销助手", "zqwxmain", true},
};

bool IsFile(const std::string& path) {
  return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

QString RuntimeDir() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return dir.isEmpty() ? QDir::tempPath() : dir;
}

// Reads one answer line; "" when none came in time.
QByteArray ReadAnswer(QLocalSocket& socket, const QElapsedTimer& clock, int timeoutMs) {
  while (!socket.canReadLine()) {
    int left = timeoutMs - static_cast<int>(clock.elapsed());
    if (left <= 0 || !socket.waitForReadyRead(left)) return {};
  }
  return socket.readLine().trimmed();
}

}  // namespace

const TCompanionTool& CompanionTool(int t) {
  return kTools[std::clamp(t, 0, kToolCount - 1)];
}

std::vector<int> ToolButtonRows() {
  std::vector<int> rows;
  for (int t = 0; t < kToolCount; ++t) {
    if (kTools[t].HasButton) rows.push_back(t);
  }
  return rows;
}

std::string ToolDisplayName(int t) {
  return Cp936(CompanionTool(t).DisplayName);
}

std::string ToolDownloadUrl(int t, const std::string& firstUrl, const std::string& secondUrl) {
  if (t == 0) return firstUrl;
  if (t == 1) return secondUrl;
  return ServiceSettings()->Scheme() + ServiceSettings()->ServiceHost + "/soft/" +
         CompanionTool(t).Code + ".zip";
}

std::string LaunchToken() {
  const std::string userName;
  const std::string userPassword;
  return EncipherToHex(userName + "|" + userPassword, kLaunchKey);
}

std::string LaunchArguments() {
  return "-u" + LaunchToken();
}

std::string ToolFolder(int t) {
  return AppDir() + CompanionTool(t).DisplayName;
}

std::string ToolDefaultPath(int t) {
  return ToolFolder(t) + "/" + CompanionTool(t).DisplayName + kExeSuffix;
}

std::string ToolRecordedPath(int t) {
  try {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                       CompanionTool(t).Code);
    return settings.value(kInstall).toString().toStdString();
  } catch (...) {
    return {};  // an unreadable store counts as no entry
  }
}

std::string ToolPath(int t) {
  std::string recorded = ToolRecordedPath(t);
  if (IsFile(recorded)) return recorded;
  std::string path = ToolDefaultPath(t);
  if (IsFile(path)) return path;
  path.resize(path.size() - (sizeof(kExeSuffix) - 1));
  return IsFile(path) ? path : std::string();
}

std::string ToolSocketPath(int t) {
  return (RuntimeDir() + "/" + CompanionTool(t).WindowClass + ".sock").toStdString();
}

bool BringToolForward(int t, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(ToolSocketPath(t)));
  if (!socket.waitForConnected(std::max(1, timeoutMs / 3))) return false;
  socket.write(QByteArray("showmain 1 ") + QByteArray::number(t) + "\n");
  socket.flush();
  socket.waitForBytesWritten(std::max(1, timeoutMs / 3));
  // A tool with a socket of its own has been told once it took the request.
  if (t >= 3) {
    socket.disconnectFromServer();
    return true;
  }
  // The shared family answers with the tool it is; only that one counts as running.
  QByteArray answer = ReadAnswer(socket, clock, timeoutMs);
  socket.abort();
  bool ok = false;
  int which = answer.toInt(&ok);
  return ok && which == t;
}

TLaunchOutcome LaunchTool(int t, const TLaunchHooks& hooks) {
  if (BringToolForward(t)) return loBroughtForward;
  std::string path = ToolPath(t);
  std::string arguments = LaunchArguments();
  if (!path.empty()) {
    if (hooks.Start) hooks.Start(path, arguments);  // a tool that does not start is not reported
    return loStarted;
  }
  if (hooks.OpenPrompt) hooks.OpenPrompt(t, arguments);
  return loPrompted;
}

}  // namespace zoqa
