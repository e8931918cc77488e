#include "cli/terminalview.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "cli/jsonout.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa::cli {

void TTerminalView::Report(const std::string& keyword, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", Cp936ToUtf8(keyword).c_str(), Cp936ToUtf8(text).c_str());
}

void TTerminalView::ReportUnwritten(std::size_t unwritten) {
  if (unwritten == 0) return;
  std::fprintf(stderr, "数据库连接中断：%zu 家公司未能写入，其结果页未保存，下次搜索会重新采集\n",
               unwritten);
}

int TTerminalView::ShowMsg(const std::string& text, const std::string&, int kind) {
  // The questions the window asks while adding and starting a task are answered "OK".
  if (kind == mkQuestion) return kMsgOk;
  std::fprintf(stderr, "%s\n", Cp936ToUtf8(text).c_str());
  return 0;
}

bool TTerminalView::EngineChecked(int engine) const {
  return engine >= 0 && engine < 3 && engines_[static_cast<std::size_t>(engine)];
}

void TTerminalView::CompanyStored(const std::string& keyword, const TCompany& company) {
  if (!json_) return;
  QJsonObject o = CompanyJson(company);
  o["keyword"] = JsonText(keyword);
  PrintJson(QJsonDocument(o), QJsonDocument::Compact);
  std::fflush(stdout);
}

}  // namespace zoqa::cli
