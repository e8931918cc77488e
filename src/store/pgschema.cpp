#include "store/pgschema.h"

#include "store/pgconnection.h"

namespace zoqa {
namespace {

// Migration N leads from version N-1 to N. Each runs inside InitPgSchema's transaction.
const char* const kMigrations[kPgSchemaVersion] = {
    // 1: keywords and companies; names and folded keywords once in the whole store; every
    // change of either announced on the channel zoqa_store (a keyword id, or "keys").
    R"sql(
create table tbl_key (
  id bigserial primary key,
  keystr text not null,
  keyfold text not null unique,
  listcount integer not null default 0,
  lastpage integer not null default 0,
  sglastpage integer not null default 0,
  s360lastpage integer not null default 0,
  adddate bigint not null default 0);
create table tbl_list (
  listid bigserial primary key,
  comname text not null unique,
  addr text not null default '',
  weburl text not null default '',
  email text not null default '',
  tel text not null default '',
  mob text not null default '',
  qq text not null default '',
  source text not null default '',
  ispay integer not null default 0,
  renzheng integer not null default 0,
  stat integer not null default 0,
  keyid bigint not null references tbl_key(id) on delete cascade);
create index tbl_list_keyid on tbl_list(keyid, listid);
create index tbl_list_badge on tbl_list(keyid,
  (case when ispay <> 0 then 0 when renzheng <> 0 then 1 else 2 end), listid);
create index tbl_list_name on tbl_list(keyid, (comname collate "C"), listid);
create index tbl_list_source on tbl_list(keyid, (source collate "C"), listid);
create function zoqa_list_changed() returns trigger language plpgsql as $$
begin
  perform pg_notify('zoqa_store', coalesce(new.keyid, old.keyid)::text);
  return null;
end $$;
create trigger tbl_list_changed after insert or delete on tbl_list
  for each row execute function zoqa_list_changed();
create function zoqa_keys_changed() returns trigger language plpgsql as $$
begin
  perform pg_notify('zoqa_store', 'keys');
  return null;
end $$;
create trigger tbl_key_changed after insert or delete on tbl_key
  for each statement execute function zoqa_keys_changed();
)sql",
    // 2: the shared task queue, one task per keyword and engine, and the pace each egress
    // address keeps per engine. attempts grows with every claim: a worker's writes name the
    // attempt it holds, so one that lost its lease writes nothing.
    R"sql(
create table tbl_task (
  id bigserial primary key,
  keyid bigint not null references tbl_key(id) on delete cascade,
  engine text not null check (engine in ('baidu', 'sogou', '360')),
  state text not null default 'ready'
    check (state in ('ready', 'leased', 'paused', 'done', 'failed')),
  page integer not null default 0,
  owner text,
  lease_end timestamptz,
  attempts integer not null default 0,
  failures integer not null default 0,
  last_error text not null default '',
  created timestamptz not null default now(),
  updated timestamptz not null default now(),
  unique (keyid, engine));
create index tbl_task_ready on tbl_task(engine, updated, id) where state = 'ready';
create index tbl_task_leased on tbl_task(engine, lease_end) where state = 'leased';
create table tbl_pace (
  egress text not null,
  engine text not null,
  next_page timestamptz not null default '-infinity',
  next_crawl timestamptz not null default '-infinity',
  hold_end timestamptz not null default '-infinity',
  primary key (egress, engine));
)sql",
};

std::string NewerMessage(int version) {
  return "the store's schema version " + std::to_string(version) +
         " is newer than this program knows (" + std::to_string(kPgSchemaVersion) +
         "); update zoqa on this machine";
}

}  // namespace

int PgSchemaVersion(TPgConnection& connection) {
  TPgResult table = connection.Exec("select to_regclass('schema_version') is not null");
  if (table.Text(0, 0) != "t") return 0;
  TPgResult version = connection.Exec("select coalesce(max(version), 0) from schema_version");
  return static_cast<int>(version.Integer(0, 0));
}

int InitPgSchema(TPgConnection& connection) {
  TPgTransaction transaction(connection);
  // One init at a time per database; the lock ends with the transaction.
  connection.Exec("select pg_advisory_xact_lock(7451203)");
  connection.Script(
      "create table if not exists schema_version (version integer primary key, "
      "applied timestamptz not null default now())");
  int version = PgSchemaVersion(connection);
  if (version > kPgSchemaVersion) throw EStoreSchema(NewerMessage(version));
  for (int next = version + 1; next <= kPgSchemaVersion; ++next) {
    connection.Script(kMigrations[next - 1]);
    connection.Exec("insert into schema_version(version) values ($1)", {std::to_string(next)});
  }
  transaction.Commit();
  return kPgSchemaVersion;
}

void CheckPgSchema(TPgConnection& connection) {
  int version = PgSchemaVersion(connection);
  if (version == 0) {
    throw EStoreSchema("the store " + connection.Url().Label() +
                       " has no zoqa schema: run `zoqa-cli store init`");
  }
  if (version > kPgSchemaVersion) throw EStoreSchema(NewerMessage(version));
  if (version < kPgSchemaVersion) {
    throw EStoreSchema("the store " + connection.Url().Label() + " has schema version " +
                       std::to_string(version) + ": run `zoqa-cli store init` to upgrade it");
  }
}

}  // namespace zoqa
