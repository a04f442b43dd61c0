# The 32-bit leg's record, sourced by bootstrap, ensure-deps, test and demo so that they all act
# on one decision. Bootstrap writes it once it has looked at this machine: "on", or "off" with
# the cause ("probe": this machine cannot or must not run 32-bit programs; "install": Wine's
# 32-bit part could not be installed, tried again later) and the reason, one line:
#   on
#   off<TAB>probe<TAB>this kernel cannot run 32-bit programs (...)
#   off<TAB>install<TAB>the i386 package lists could not be fetched (apt-get update exit 100)
# Needs $root (the checkout).
leg32_record="$root/.deps/stamps/leg32"

leg32_field() {  # 1 state, 2 cause, 3 reason
  [ -f "$leg32_record" ] || return 1
  head -n 1 "$leg32_record" | cut -f "$1"
}
leg32_is_on() { [ "$(leg32_field 1 2>/dev/null)" = on ]; }
leg32_reason() { leg32_field 3; }
leg32_write() {  # state [cause reason]
  mkdir -p "$(dirname "$leg32_record")"
  if [ "$1" = on ]; then echo on; else printf 'off\t%s\t%s\n' "$2" "$3"; fi >"$leg32_record.new"
  mv "$leg32_record.new" "$leg32_record"
}
