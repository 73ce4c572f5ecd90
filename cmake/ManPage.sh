#!/usr/bin/env bash
# Writes a man page (roff) from a program's own --help, so the page never drifts from the code.
# Verbs listed under "Subcommands:" get a section each, their own verbs too, recursively.
#   ManPage.sh PROGRAM NAME VERSION SUMMARY OUTPUT
set -euo pipefail
program=$1 name=$2 version=$3 summary=$4 output=$5

# Plain text as roff: backslashes doubled, lines starting with '.' or "'" protected.
roff_text() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\&\\1/"; }

# The verbs a help text lists under "Subcommands:".
verbs_of() { awk '/^Subcommands:/ {on=1; next} on && /^$/ {on=0} on && /^  [^ ]/ {print $1}'; }

page=$(mktemp)
trap 'rm -f "$page"' EXIT
top=$(env -u DISPLAY QT_QPA_PLATFORM=offscreen "$program" --help)
upper=$(printf '%s' "$name" | tr '[:lower:]' '[:upper:]')
{
  printf '.TH %s 1 "" "%s %s" "User Commands"\n' "$upper" "$name" "$version"
  printf '.SH NAME\n%s \\- %s\n' "$name" "$summary"
  printf '.SH DESCRIPTION\n.nf\n'
  printf '%s\n' "$top" | roff_text
  printf '.fi\n'
} >"$page"

walk() {
  local path=$1 help verb
  help=$(env -u DISPLAY QT_QPA_PLATFORM=offscreen "$program" $path --help)
  printf '.SS "%s"\n.nf\n' "$path" >>"$page"
  printf '%s\n' "$help" | grep -v "^Run '.* --help' for the options of a verb\.$" | roff_text >>"$page"
  printf '.fi\n' >>"$page"
  for verb in $(printf '%s\n' "$help" | verbs_of); do walk "$path $verb"; done
}
verbs=$(printf '%s\n' "$top" | verbs_of)
if [ -n "$verbs" ]; then
  printf '.SH VERBS\n' >>"$page"
  for verb in $verbs; do walk "$verb"; done
fi
printf '.SH FILES\n.nf\n$XDG_CONFIG_HOME/sonbex3/   settings\n$XDG_DATA_HOME/sonbex3/     the user'"'"'s data (driver database, calibrations)\n<prefix>/share/sonbex3/     shipped data and help pages\n.fi\n' >>"$page"
mv "$page" "$output"
trap - EXIT
