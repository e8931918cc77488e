#include "store/pgtaskqueue.h"

#include "store/pgconnection.h"
#include "store/storedtext.h"
#include "store/taskengine.h"

namespace zoqa {
namespace {

// An array parameter of decimal ids ("{1,2}"); ids that are not decimal are left out.
std::string IdArray(const std::vector<std::string>& ids) {
  std::string text = "{";
  for (const std::string& id : ids) {
    if (id.empty() || id.size() > 18 || id.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    if (text.size() > 1) text += ',';
    text += id;
  }
  return text + "}";
}

std::string EngineArray(const std::vector<int>& engines) {
  std::string text = "{";
  for (int engine : engines) {
    if (text.size() > 1) text += ',';
    text += TaskEngineName(engine);
  }
  return text + "}";
}

// A lease is held while its owner and attempt are the task's and it has not run out; a
// task paused or stopped under it stays its holder's to save its page and hand back.
const char kFence[] =
    "id = $1 and owner = $2 and attempts = $3 and (state in ('paused', 'done') or "
    "(state = 'leased' and lease_end > clock_timestamp()))";

const char kKeyFilter[] = "(cardinality($1::bigint[]) = 0 or keyid = any($1::bigint[]))";

}  // namespace

TPgTaskQueue::TPgTaskQueue(const TStoreUrl& url, std::string owner, int leaseSeconds,
                           const std::function<bool()>& giveUp)
    : connection_(std::make_unique<TPgConnection>(url, giveUp)),
      owner_(std::move(owner)),
      leaseSeconds_(leaseSeconds) {}

TPgTaskQueue::~TPgTaskQueue() = default;

int TPgTaskQueue::Start(const std::vector<std::string>& keyIds, const std::vector<int>& engines) {
  // A new task resumes where the keyword's engine stopped last; a known one from its own page.
  TPgResult rows = connection_->Exec(
      "insert into tbl_task as t(keyid, engine, page) select k.id, e, case e when 'baidu' then "
      "k.lastpage when 'sogou' then k.sglastpage else k.s360lastpage end from tbl_key k, "
      "unnest($2::text[]) e where k.id = any($1::bigint[]) on conflict (keyid, engine) do "
      "update set state = 'ready', owner = null, lease_end = null, failures = 0, "
      "last_error = '', updated = clock_timestamp() where t.state <> 'leased' returning t.id",
      {IdArray(keyIds), EngineArray(engines)});
  return rows.Rows();
}

int TPgTaskQueue::Pause(const std::vector<std::string>& keyIds, const std::vector<int>& engines) {
  TPgResult rows = connection_->Exec(
      "update tbl_task set state = 'paused', updated = clock_timestamp() where "
      "keyid = any($1::bigint[]) and engine = any($2::text[]) and state in ('ready', 'leased') "
      "returning id",
      {IdArray(keyIds), EngineArray(engines)});
  return rows.Rows();
}

int TPgTaskQueue::Stop(const std::vector<std::string>& keyIds, const std::vector<int>& engines) {
  TPgResult rows = connection_->Exec(
      "update tbl_task set state = 'done', updated = clock_timestamp() where "
      "keyid = any($1::bigint[]) and engine = any($2::text[]) and state in ('ready', 'leased', "
      "'paused') returning id",
      {IdArray(keyIds), EngineArray(engines)});
  return rows.Rows();
}

std::vector<TTaskRow> TPgTaskQueue::List() {
  TPgResult rows = connection_->Exec(
      "select t.id, t.keyid, k.keystr, t.engine, t.state, coalesce(t.owner, ''), "
      "coalesce(to_char(t.lease_end at time zone 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), ''), "
      "t.page, t.attempts, t.failures, t.last_error from tbl_task t join tbl_key k on "
      "k.id = t.keyid order by k.id, array_position(array['baidu', 'sogou', '360'], t.engine)");
  std::vector<TTaskRow> tasks;
  for (int r = 0; r < rows.Rows(); ++r) {
    TTaskRow task;
    task.Id = rows.Text(r, 0);
    task.KeyId = rows.Text(r, 1);
    task.Keyword = DecodeStored(rows.Text(r, 2));
    task.Engine = TaskEngineFromName(rows.Text(r, 3));
    task.State = rows.Text(r, 4);
    task.Owner = rows.Text(r, 5);
    task.LeaseEnd = rows.Text(r, 6);
    task.Page = static_cast<int>(rows.Integer(r, 7));
    task.Attempts = static_cast<int>(rows.Integer(r, 8));
    task.Failures = static_cast<int>(rows.Integer(r, 9));
    task.LastError = rows.Text(r, 10);
    tasks.push_back(std::move(task));
  }
  return tasks;
}

bool TPgTaskQueue::AnyOpen(const std::vector<std::string>& keyIds) {
  TPgResult rows = connection_->Exec(std::string("select exists(select 1 from tbl_task where "
                                                 "state in ('ready', 'leased') and ") +
                                         kKeyFilter + ")",
                                     {IdArray(keyIds)});
  return rows.Text(0, 0) == "t";
}

std::vector<TTaskLease> TPgTaskQueue::Claim(int engine, int count,
                                            const std::vector<std::string>& keyIds) {
  std::vector<TTaskLease> leases;
  if (count <= 0) return leases;
  // Rows another claim has locked are skipped, not waited for: concurrent workers each
  // take other tasks, and a task is leased by one of them only.
  // Ready tasks first, the oldest first; then tasks whose lease ran out. Each part has an
  // index of its own.
  TPgResult rows = connection_->Exec(
      std::string("with ready as (select id from tbl_task where engine = $2 and state = "
                  "'ready' and ") +
          kKeyFilter +
          " order by updated, id limit $3 for update skip locked), "
          "lapsed as (select id from tbl_task where engine = $2 and state = 'leased' and "
          "lease_end <= clock_timestamp() and " +
          kKeyFilter +
          " order by lease_end limit $3 for update skip locked), "
          "picked as (select id from ready union all select id from lapsed limit $3) "
          "update tbl_task t set state = 'leased', owner = $4, attempts = t.attempts + 1, "
          "lease_end = clock_timestamp() + $5 * interval '1 second', updated = "
          "clock_timestamp() from picked where t.id = picked.id returning t.id, t.keyid, "
          "(select keystr from tbl_key where id = t.keyid), t.page, t.attempts",
      {IdArray(keyIds), TaskEngineName(engine), std::to_string(count), owner_,
       std::to_string(leaseSeconds_)});
  for (int r = 0; r < rows.Rows(); ++r) {
    TTaskLease lease;
    lease.TaskId = rows.Text(r, 0);
    lease.KeyId = rows.Text(r, 1);
    lease.Keyword = DecodeStored(rows.Text(r, 2));
    lease.Engine = engine;
    lease.Page = static_cast<int>(rows.Integer(r, 3));
    lease.Attempt = static_cast<int>(rows.Integer(r, 4));
    leases.push_back(std::move(lease));
  }
  return leases;
}

std::map<std::string, TLeaseState> TPgTaskQueue::Renew(const std::vector<TTaskLease>& leases) {
  std::map<std::string, TLeaseState> states;
  if (leases.empty()) return states;
  std::string ids = "{";
  std::string attempts = "{";
  for (const TTaskLease& lease : leases) {
    if (ids.size() > 1) ids += ',', attempts += ',';
    ids += lease.TaskId;
    attempts += std::to_string(lease.Attempt);
    states[lease.TaskId] = TLeaseState::Lost;
  }
  TPgParams params{owner_, ids + "}", attempts + "}", std::to_string(leaseSeconds_)};
  // A lease that ran out before its renewal is lost: another worker may have claimed it.
  TPgResult renewed = connection_->Exec(
      "update tbl_task t set lease_end = clock_timestamp() + $4 * interval '1 second' from "
      "unnest($2::bigint[], $3::integer[]) as m(id, attempt) where t.id = m.id and "
      "t.attempts = m.attempt and t.owner = $1 and t.state = 'leased' and t.lease_end > "
      "clock_timestamp() returning t.id",
      params);
  for (int r = 0; r < renewed.Rows(); ++r) states[renewed.Text(r, 0)] = TLeaseState::Held;
  if (renewed.Rows() == static_cast<int>(leases.size())) return states;
  params.pop_back();
  TPgResult withdrawn = connection_->Exec(
      "select t.id from tbl_task t join unnest($2::bigint[], $3::integer[]) as m(id, attempt) "
      "on t.id = m.id and t.attempts = m.attempt where t.owner = $1 and "
      "t.state in ('paused', 'done')",
      params);
  for (int r = 0; r < withdrawn.Rows(); ++r) {
    states[withdrawn.Text(r, 0)] = TLeaseState::Withdrawn;
  }
  return states;
}

bool TPgTaskQueue::FencedUpdate(const TTaskLease& lease, const std::string& set,
                                const std::vector<std::string>& extra) {
  TPgParams params{lease.TaskId, owner_, std::to_string(lease.Attempt)};
  params.insert(params.end(), extra.begin(), extra.end());
  TPgResult rows = connection_->Exec(
      "with changed as (update tbl_task set " + set + ", updated = clock_timestamp() where " +
          kFence +
          " returning keyid, engine, page) update tbl_key k set lastpage = case when c.engine = "
          "'baidu' then c.page else k.lastpage end, sglastpage = case when c.engine = 'sogou' "
          "then c.page else k.sglastpage end, s360lastpage = case when c.engine = '360' then "
          "c.page else k.s360lastpage end from changed c where k.id = c.keyid returning k.id",
      params);
  return rows.Rows() > 0;
}

bool TPgTaskQueue::SavePage(const TTaskLease& lease, int page) {
  return FencedUpdate(lease, "page = $4::integer, failures = 0", {std::to_string(page)});
}

bool TPgTaskQueue::Finish(const TTaskLease& lease, int page) {
  return FencedUpdate(lease,
                      "page = $4::integer, state = 'done', owner = null, lease_end = null, "
                      "failures = 0, last_error = ''",
                      {std::to_string(page)});
}

bool TPgTaskQueue::Release(const TTaskLease& lease, int page, const std::string& error) {
  if (error.empty()) {
    return FencedUpdate(lease,
                        "page = $4::integer, owner = null, lease_end = null, state = case when "
                        "state = 'leased' then 'ready' else state end",
                        {std::to_string(page)});
  }
  return FencedUpdate(lease,
                      "page = $4::integer, owner = null, lease_end = null, failures = failures "
                      "+ 1, last_error = $5, state = case when state <> 'leased' then state "
                      "when failures + 1 >= $6::integer then 'failed' else 'ready' end",
                      {std::to_string(page), error, std::to_string(kTaskFailureLimit)});
}

}  // namespace zoqa
