#!/usr/bin/env bash
# Runs the Ansible example (examples/ansible/orvane.yml) against this machine's stand-in, as an
# operator would against a Mac: while password-free changes are off, and then while they wait for
# approval, it changes nothing and names the step a person must take; once they are allowed, the
# first run changes the limit and keeps it, the second changes nothing, and after a simulated
# restart `orvane restore` (what a management tool runs at login) brings the kept limit back.
# Needs ansible-playbook (./scripts/install-deps.sh --ansible) and a build of Orvane.
#   scripts/ansible-check.sh [BUILD_DIR]     (default: ./build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-./build/default}" && pwd)
orvane="$build/orvane"
playbook=examples/ansible/orvane.yml

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/sim" "$work/config" "$work/ansible"
# A fresh stand-in and settings, and an Ansible that reads no configuration of the machine's.
: > "$work/ansible.cfg"
export ORVANE_SIM_DIR="$work/sim" XDG_CONFIG_HOME="$work/config" ORVANE_HELPER_IDLE_TIMEOUT=1
export ANSIBLE_CONFIG="$work/ansible.cfg" ANSIBLE_HOME="$work/ansible" ANSIBLE_NOCOLOR=1
export ANSIBLE_LOCAL_TEMP="$work/ansible/tmp" ANSIBLE_REMOTE_TEMP="$work/ansible/tmp"
# A 64 GB Mac with its limit variable at the system default.
echo 68719476736 > "$ORVANE_SIM_DIR/hw.memsize"
echo 0 > "$ORVANE_SIM_DIR/iogpu.wired_limit_mb"

fail() {
  echo "ansible-check: FAILED: $*" >&2
  exit 1
}
limit() { cat "$ORVANE_SIM_DIR/iogpu.wired_limit_mb"; }

echo "== ansible-playbook --syntax-check"
ansible-playbook --syntax-check -i localhost, "$playbook"

# Runs the playbook on this machine, its output in $work/run.log (and on stderr, indented);
# returns ansible-playbook's status.
run() {
  local status=0
  ansible-playbook -i localhost, -c local -e orvane_hosts=localhost \
    -e ansible_python_interpreter=/usr/bin/python3 -e "orvane=$orvane" \
    -e orvane_limit=48GB "$playbook" > "$work/run.log" 2>&1 || status=$?
  sed 's/^/    /' "$work/run.log" >&2
  return "$status"
}
# How many tasks the last run reported changed on localhost.
changed() { sed -n 's/^localhost *: .*changed=\([0-9]*\) .*/\1/p' "$work/run.log"; }
says() { grep -qF -- "$1" "$work/run.log" || fail "the playbook did not say: $1"; }

echo "== password-free changes off, then waiting for approval: nothing changes, a person is asked"
run && fail "the playbook passed while password-free changes were off"
says "localhost: someone logged in there must turn on Password-free VRAM changes"
"$orvane" helper on
run && fail "the playbook passed while password-free changes waited for approval"
says "localhost: someone logged in there must allow Orvane in System Settings"
[ "$(limit)" = 0 ] || fail "the limit changed without password-free changes: $(limit)"

echo "== allowed: the first run changes the limit and keeps it"
touch "$ORVANE_SIM_DIR/helper.approved"
run || fail "the playbook failed"
[ "$(changed)" = 2 ] || fail "the first run changed $(changed) tasks, not 2 (the limit, keeping it)"
[ "$(limit)" = 49152 ] || fail "the limit is $(limit), not 49152 MB"
says "GPU limit 49152 MB; kept after a restart: 49152 MB"

echo "== the second run changes nothing"
run || fail "the playbook failed"
[ "$(changed)" = 0 ] || fail "the second run changed $(changed) tasks, not 0"

echo "== a restart: the kernel forgets the limit, and orvane restore brings it back"
echo 0 > "$ORVANE_SIM_DIR/iogpu.wired_limit_mb"
restored=$("$orvane" restore --json)
echo "    $restored"
[ "$restored" = '{"changed":true,"limitMB":49152,"road":"helper"}' ] ||
  fail "orvane restore --json said $restored"
[ "$(limit)" = 49152 ] || fail "the kept limit did not come back after the restart: $(limit)"
echo "ansible-check: a person asked for where needed, changed, then unchanged, kept after a restart"
