#include "app/servicelink.h"

#include "app/clientversion.h"
#include "platform/mainthreadport.h"
#include "service/httpcreate.h"
#include "service/servicesettings.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa {
namespace {

const char kUpdateFolderReadOnly[] = "程序所在的目录不可写，无法自动升级到新版本";

}  // namespace

TServiceLink::TServiceLink(TServiceView& view, TUpdaterFiles files)
    : view_(view), files_(std::move(files)), port_(TMainThreadPort::Create()) {
  retryTimer_.setSingleShot(true);
  // A coarse timer may fire up to 5 % early; the retries are promised a full second apart.
  retryTimer_.setTimerType(Qt::PreciseTimer);
  retryTimer_.setInterval(kRetryIntervalMs);
  QObject::connect(&retryTimer_, &QTimer::timeout, &retryTimer_, [this] { RetryTimerFired(); });
}

TServiceLink::~TServiceLink() {
  port_->Close();
}

bool TServiceLink::Start() {
  if (!ServiceSettings()->LinkOn()) return false;
  Fetch();
  retryTimer_.stop();  // only this fetch is under way
  return true;
}

std::string TServiceLink::ConfigUrl() const {
  return ServiceSettings()->Scheme() + ServiceSettings()->ConfigHost + "/soft/kwrt/config.txt";
}

const std::string& TServiceLink::ToolUrl(int index) const {
  static const std::string kNone;
  return index == 0 || index == 1 ? toolUrls_[index] : kNone;
}

void TServiceLink::Fetch() {
  THttpCreate::Start(ConfigUrl(), port_,
                     [this](const std::string& stream) { HandleConfig(stream); });
}

void TServiceLink::RetryTimerFired() {
  retryTimer_.stop();
  if (!ended_) Fetch();
}

void TServiceLink::Fail() {
  if (retries_ < kMaxRetries) {
    ++retries_;
    retryTimer_.start();
    return;
  }
  view_.ShowMsg(
      Cp936("获取服务配置信息发生了错误,请联系管理员QQ:") + ServiceSettings()->AdminContact,
      Cp936("提示"), mkInformation);
  ended_ = true;
  view_.EndProcess();
}

void TServiceLink::HandleConfig(const std::string& stream) {
  if (ended_) return;
  if (stream.empty()) {
    Fail();
    return;
  }
  try {
    TConfigDocument document;
    if (document.ParseStream(stream)) {
      Apply(document);
    } else {
      // No element: counts as a failure, yet the deferred start-up still runs.
      Fail();
      if (ended_) return;
    }
    view_.ArmDeferredStartup();
  } catch (...) {
    Fail();
  }
}

void TServiceLink::Apply(const TConfigDocument& document) {
  TConfigEffects effects =
      ApplyConfigDocument(document.Root(), kClientVersion, kFirstToolCode, kSecondToolCode, files_);
  if (effects.HasVersion) view_.StopVersionCheck();
  if (effects.HasSystem) {
    serviceBaseUrl_ = ServiceSettings()->Scheme() + ServiceSettings()->ServiceHost + "/";
    toolUrls_[0] = effects.FirstToolUrl;
    toolUrls_[1] = effects.SecondToolUrl;
  }
  if (effects.Update.UpdateAvailable) OfferUpdate(effects.Update);
}

void TServiceLink::OfferUpdate(const TUpdateInfo& info) {
  // An update replaces the executable in its own folder; where that cannot be written the
  // program goes on as it is and says so once.
  if (!files_.FolderWritable()) {
    if (!updateRefused_) view_.SetStatusBar(Cp936(kUpdateFolderReadOnly));
    updateRefused_ = true;
    return;
  }
  if (info.Forced) {
    view_.ShowMsg(Cp936("您的客户端版本太低，服务端已不支持，需升级到最新版本才能正常使用！"),
                  Cp936("提示"), mkInformation);
  }
  view_.OpenUpdateWindow();
  view_.StartUpdate(std::make_unique<TUpdateInfo>(info));
}

}  // namespace zoqa
