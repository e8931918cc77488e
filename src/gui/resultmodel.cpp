#include "gui/resultmodel.h"

#include <QPixmap>

#include <algorithm>
#include <charconv>
#include <iterator>
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

TSortOrder TResultModel::SortOrderFor(int column, Qt::SortOrder order) {
  static const TSortColumn columns[colCount] = {TSortColumn::kBadge,  TSortColumn::kName,
                                                TSortColumn::kMobile, TSortColumn::kQQ,
                                                TSortColumn::kEmail,  TSortColumn::kSource};
  if (column < 0 || column >= colCount) return {};
  return TSortOrder{columns[column], order == Qt::DescendingOrder};
}

void TResultModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= colCount) return;
  beginResetModel();
  order_ = SortOrderFor(column, order);
  Forget();
  endResetModel();
}

void TResultModel::Forget() {
  cache_.Forget();
}

void TResultModel::Clear() {
  beginResetModel();
  source_ = nullptr;
  keyword_.clear();
  count_ = 0;
  Forget();
  endResetModel();
}

// A failed count shows no rows rather than leaving the view with rows it cannot read.
void TResultModel::Show(TCompanySource& source, const std::string& keyword) {
  beginResetModel();
  source_ = &source;
  keyword_ = keyword;
  Forget();
  try {
    count_ = static_cast<int>(source.CountCompanies(keyword));
  } catch (...) {
    count_ = 0;
  }
  endResetModel();
}

// A row that cannot be placed goes at the end, and every row is read again: in a sorted grid
// it may sit anywhere. Rows between the nearest ones known around a placed row are read again
// too, as it may sit anywhere among them.
void TResultModel::Append(const TCompany& company, bool placeable) {
  if (source_ == nullptr) return;
  std::optional<TRowPlace> place;
  if (placeable) place = Place(company);
  if (!place) Forget();
  TRowPlace at = place.value_or(TRowPlace{0, count_});
  beginInsertRows({}, at.at, at.at);
  ++count_;
  if (place) cache_.Insert(at.at);
  endInsertRows();
  if (at.low < at.at) emit dataChanged(index(at.low, 0), index(at.at, colCount - 1));
}

// The new row's place by its key, which the store reads back; a failing store places nothing.
std::optional<TRowPlace> TResultModel::Place(const TCompany& company) {
  const std::string& text = company.ListId;
  std::int64_t listId = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), listId);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  TRowKey key;
  try {
    if (!source_->RowKey(keyword_, order_, listId, key)) return std::nullopt;
  } catch (...) {
    return std::nullopt;
  }
  return cache_.Place(order_, key, count_);
}

bool TResultModel::Remove(const std::string& listId) {
  const int row = source_ == nullptr ? -1 : cache_.RowOf(listId);
  if (row < 0) return false;
  beginRemoveRows({}, row, row);
  --count_;
  cache_.Remove(row);
  endRemoveRows();
  return true;
}

const TCompany* TResultModel::Record(int row) const {
  if (source_ == nullptr || row < 0 || row >= count_) return nullptr;
  const TCachedBlock* block = cache_.BlockOf(row);
  if (block == nullptr) block = Fetch(row - row % kBlockRows);
  if (block == nullptr || row - block->first >= static_cast<int>(block->rows.size())) {
    return nullptr;
  }
  return &block->rows[static_cast<std::size_t>(row - block->first)];
}

// Reads the block of rows from `first` on through a cursor of its own, which goes at once:
// a cursor left open would hold back the store's writes on the same connection. The older
// kept block is dropped.
const TCachedBlock* TResultModel::Fetch(int first) const {
  TCachedBlock block;
  block.first = first;
  block.span = std::min(kBlockRows, count_ - first);
  try {
    ReadBlock(first, block.span, block);
  } catch (...) {
    return nullptr;
  }
  return &cache_.Keep(std::move(block));
}

// Reads rows first .. first + count - 1 the cheapest way: on from the nearest kept key before
// them, back from the nearest one after them (the reverse order read after it), or from either
// end of the order; each way costs about the rows it skips.
void TResultModel::ReadBlock(int first, int count, TCachedBlock& block) const {
  const std::map<int, TRowKey>& keys = cache_.Keys();
  const TRowKey* key = nullptr;
  bool backward = false;
  std::int64_t skip = first;
  if (auto next = keys.lower_bound(first); next != keys.begin()) {
    auto before = std::prev(next);
    if (first - before->first - 1 < skip) {
      key = &before->second;
      skip = first - before->first - 1;
    }
  }
  if (auto after = keys.lower_bound(first + count); after != keys.end()) {
    if (after->first - (first + count) < skip) {
      key = &after->second;
      backward = true;
      skip = after->first - (first + count);
    }
  }
  if (count_ - (first + count) < skip) {
    key = nullptr;
    backward = true;
    skip = count_ - (first + count);
  }
  TSortOrder order = order_;
  order.descending = order.descending != backward;
  std::unique_ptr<TCompanyCursor> cursor;
  if (key != nullptr) {
    cursor = source_->OpenCompaniesAfter(keyword_, order, *key, skip);
  } else if (backward) {
    cursor = source_->OpenCompanies(keyword_, order, skip);
  }
  if (cursor == nullptr) {
    backward = false;
    cursor = source_->OpenCompanies(keyword_, order_, first);
  }
  std::vector<TCompany>& rows = block.rows;
  rows.reserve(static_cast<std::size_t>(count));
  for (TCompany company; static_cast<int>(rows.size()) < count && cursor->Next(company);) {
    rows.push_back(std::move(company));
    company = TCompany();
    TRowKey read;
    block.keys.push_back(cursor->Key(read) ? std::optional<TRowKey>(std::move(read))
                                           : std::nullopt);
  }
  if (backward) {
    std::reverse(rows.begin(), rows.end());
    std::reverse(block.keys.begin(), block.keys.end());
  }
}

int TResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
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
