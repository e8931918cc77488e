#include "store/pgsharedpace.h"

#include "store/pgconnection.h"
#include "store/taskengine.h"

namespace zoqa {
namespace {

// The milliseconds from the server's clock to a moment, never below 0.
std::string WaitMs(const std::string& column) {
  return "greatest(0, ceil(extract(epoch from (" + column +
         " - clock_timestamp())) * 1000))::bigint";
}

// The first reservation of an address makes its row with the slot now; every later one
// moves the slot on by the interval, but never into the past nor before a hold ends.
std::string ReserveSql(TPaceKind kind) {
  if (kind == TPaceKind::Page) {
    return "insert into tbl_pace as p(egress, engine, next_page) values ($1, $2, "
           "clock_timestamp()) on conflict (egress, engine) do update set next_page = "
           "greatest(p.next_page + $3 * interval '1 millisecond', clock_timestamp(), "
           "p.hold_end) returning " +
           WaitMs("p.next_page");
  }
  return "insert into tbl_pace as p(egress, engine, next_crawl) values ($1, $2, "
         "clock_timestamp()) on conflict (egress, engine) do update set next_crawl = "
         "greatest(p.next_crawl + $3 * interval '1 millisecond', clock_timestamp()) "
         "returning " +
         WaitMs("p.next_crawl");
}

}  // namespace

TPgSharedPace::TPgSharedPace(TStoreUrl url) : url_(std::move(url)) {}

TPgSharedPace::~TPgSharedPace() = default;

std::int64_t TPgSharedPace::Ask(const std::string& sql, const std::vector<std::string>& params) {
  std::lock_guard<std::mutex> lock(mutex_);
  try {
    if (connection_ && !connection_->Alive()) connection_.reset();
    if (!connection_) connection_ = std::make_unique<TPgConnection>(url_);
    TPgResult result = connection_->Exec(sql, params);
    return result.Rows() > 0 ? result.Integer(0, 0) : 0;
  } catch (const EPgError&) {
    return -1;
  }
}

std::int64_t TPgSharedPace::Reserve(const std::string& egress, TEngine engine, TPaceKind kind,
                                    int intervalMs) {
  return Ask(ReserveSql(kind), {egress, TaskEngineName(engine), std::to_string(intervalMs)});
}

void TPgSharedPace::Hold(const std::string& egress, TEngine engine, int seconds) {
  Ask("insert into tbl_pace as p(egress, engine, hold_end) values ($1, $2, clock_timestamp() + "
      "$3 * interval '1 second') on conflict (egress, engine) do update set hold_end = "
      "greatest(p.hold_end, excluded.hold_end) returning 0",
      {egress, TaskEngineName(engine), std::to_string(seconds)});
}

std::int64_t TPgSharedPace::HeldForMs(const std::string& egress, TEngine engine) {
  return Ask("select " + WaitMs("hold_end") + " from tbl_pace where egress = $1 and engine = $2",
             {egress, TaskEngineName(engine)});
}

}  // namespace zoqa
