#include "gui/resultmodel.h"

#include <QPixmap>

#include <algorithm>
#include <utility>

#include "gui/artwork.h"
#include "gui/guitext.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kNameBytes = 34;
constexpr int kMobileBytes = 26;

// A list as the record keeps it in text form (every entry followed by CR LF), with every
// line feed turned into a blank.
std::string ListCell(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& entry : list) {
    text += entry;
    text += "\r ";
  }
  return text;
}

QString Lines(const std::vector<std::string>& list) {
  QStringList lines;
  for (const std::string& entry : list) lines << FromCp936(entry);
  return lines.join('\n');
}

}  // namespace

std::string TResultModel::NameCell(const TCompany& company) {
  std::string name = Trim(company.GetName());
  if (name.size() > static_cast<std::size_t>(kNameBytes)) name = Trim(CutText(name, kNameBytes));
  return name;
}

std::string TResultModel::MobileCell(const TCompany& company) {
  return CutText(ListCell(company.Mobiles), kMobileBytes);
}

std::string TResultModel::QQCell(const TCompany& company) {
  return ListCell(company.QQs);
}

std::string TResultModel::EmailCell(const TCompany& company) {
  return ListCell(company.Emails);
}

std::string TResultModel::SourceCell(const TCompany& company) {
  return Trim(company.Source);
}

int TResultModel::BadgeKind(const TCompany& company) {
  if (company.IsPay == 1) return 0;
  if (company.RenZheng == 1) return 1;
  return 2;
}

std::string TResultModel::SortKey(const TCompany& company, int column) {
  switch (column) {
    case colBadge:
      return std::string(1, static_cast<char>('0' + BadgeKind(company)));
    case colName:
      return Trim(company.GetName());
    case colMobile:
      return ListCell(company.Mobiles);
    case colQQ:
      return QQCell(company);
    case colEmail:
      return EmailCell(company);
    case colSource:
      return SourceCell(company);
    default:
      return {};
  }
}

void TResultModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= colCount) return;
  sortColumn_ = column;
  sortOrder_ = order;
  beginResetModel();
  SortRows();
  endResetModel();
}

// The keys are computed once per row: a keyword may have a hundred thousand companies.
void TResultModel::SortRows() {
  if (sortColumn_ < 0) return;
  std::vector<std::pair<std::string, const TCompany*>> keyed;
  keyed.reserve(rows_.size());
  for (const TCompany* row : rows_) keyed.emplace_back(SortKey(*row, sortColumn_), row);
  bool ascending = sortOrder_ == Qt::AscendingOrder;
  std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
    return ascending ? a.first < b.first : b.first < a.first;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) rows_[i] = keyed[i].second;
}

bool TResultModel::Before(const TCompany& a, const TCompany& b) const {
  std::string ka = SortKey(a, sortColumn_);
  std::string kb = SortKey(b, sortColumn_);
  return sortOrder_ == Qt::AscendingOrder ? ka < kb : kb < ka;
}

void TResultModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

void TResultModel::Fill(const TCompanyList& list) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(list.Count());
  for (const auto& entry : list) rows_.push_back(entry.Company.get());
  SortRows();
  endResetModel();
}

void TResultModel::Append(const TCompany& company) {
  auto at = rows_.end();
  if (sortColumn_ >= 0) {
    at = std::upper_bound(rows_.begin(), rows_.end(), &company,
                          [this](const TCompany* a, const TCompany* b) { return Before(*a, *b); });
  }
  int row = static_cast<int>(at - rows_.begin());
  beginInsertRows({}, row, row);
  rows_.insert(at, &company);
  endInsertRows();
}

const TCompany* TResultModel::Record(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  return rows_[static_cast<std::size_t>(row)];
}

int TResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : colCount;
}

QVariant TResultModel::data(const QModelIndex& index, int role) const {
  const TCompany* company = Record(index.row());
  if (company == nullptr) return {};
  int column = index.column();
  if (role == Qt::ToolTipRole) return ToolTip(*company, column);
  if (column == colBadge) {
    if (role == Qt::DecorationRole) {
      static const QPixmap badges[] = {PaidBadge(), CertifiedBadge(), EmptyBadge()};
      return badges[BadgeKind(*company)];
    }
    if (role == kCellTextRole) return QString();
    return {};
  }
  if (role == Qt::TextAlignmentRole) {
    return column == colSource ? QVariant(Qt::AlignCenter)
                               : QVariant(Qt::AlignVCenter | Qt::AlignLeft);
  }
  if (role != Qt::DisplayRole && role != kCellTextRole) return {};
  std::string cell;
  switch (column) {
    case colName:
      cell = NameCell(*company);
      break;
    case colMobile:
      cell = MobileCell(*company);
      break;
    case colQQ:
      cell = QQCell(*company);
      break;
    case colEmail:
      cell = EmailCell(*company);
      break;
    case colSource:
      cell = SourceCell(*company);
      break;
    default:
      return {};
  }
  QString text = FromCp936(cell);
  if (role == Qt::DisplayRole) text.remove(QChar('\r'));
  return text;
}

QVariant TResultModel::ToolTip(const TCompany& company, int column) const {
  switch (column) {
    case colBadge: {
      static const char* const badges[] = {"推广：从付费推广链接找到的企业", "V：认证企业", ""};
      QString text = QString::fromUtf8(badges[BadgeKind(company)]);
      return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case colName:
      return FromCp936(Trim(company.GetName()));
    case colMobile:
      return Lines(company.Mobiles);
    case colQQ:
      return Lines(company.QQs);
    case colEmail:
      return Lines(company.Emails);
    case colSource:
      return FromCp936(SourceCell(company));
    default:
      return {};
  }
}

QVariant TResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::ToolTipRole && section == colBadge) {
    return QString::fromUtf8("带图标的为推广用户");
  }
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case colName:
      return QString::fromUtf8("公司名");
    case colMobile:
      return QString::fromUtf8("手机");
    case colQQ:
      return QStringLiteral("QQ");
    case colEmail:
      return QString::fromUtf8("邮箱");
    case colSource:
      return QString::fromUtf8("来源");
    default:
      return QString();
  }
}

Qt::ItemFlags TResultModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace zoqa
