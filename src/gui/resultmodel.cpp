#include "gui/resultmodel.h"

#include <QPixmap>

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

}  // namespace

std::string TResultModel::NameCell(const TComPanyInfo& company) {
  std::string name = Trim(company.GetName());
  if (name.size() > static_cast<std::size_t>(kNameBytes)) name = Trim(CutText(name, kNameBytes));
  return name;
}

std::string TResultModel::MobileCell(const TComPanyInfo& company) {
  return CutText(ListCell(company.Mobiles), kMobileBytes);
}

std::string TResultModel::QQCell(const TComPanyInfo& company) {
  return ListCell(company.QQs);
}

std::string TResultModel::EmailCell(const TComPanyInfo& company) {
  return ListCell(company.Emails);
}

std::string TResultModel::SourceCell(const TComPanyInfo& company) {
  return Trim(company.Source);
}

int TResultModel::BadgeKind(const TComPanyInfo& company) {
  if (company.IsPay == 1) return 0;
  if (company.RenZheng == 1) return 1;
  return 2;
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
  endResetModel();
}

void TResultModel::Append(const TComPanyInfo& company) {
  int row = static_cast<int>(rows_.size());
  beginInsertRows({}, row, row);
  rows_.push_back(&company);
  endInsertRows();
}

const TComPanyInfo* TResultModel::Record(int row) const {
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
  const TComPanyInfo* company = Record(index.row());
  if (company == nullptr) return {};
  int column = index.column();
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
  if (role == Qt::ToolTipRole && column == colName) return FromCp936(Trim(company->GetName()));
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
