#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# The release notes of CHANGELOG.md as the packages want them:
#   release-notes.sh debian CHANGELOG.md VERSION "NAME <MAIL>"  a Debian changelog
#   release-notes.sh appstream CHANGELOG.md VERSION TEMPLATE    the metainfo TEMPLATE
#                                            with its @RELEASES@ line filled in
# CHANGELOG.md holds releases as "## VERSION - YYYY-MM-DD" followed by "- "
# items (continued on lines indented by two spaces), newest first. The newest
# must be VERSION, so a release is never packed without its notes.
set -euo pipefail
usage() {
  echo "usage: release-notes.sh debian CHANGELOG VERSION MAINTAINER" >&2
  echo "       release-notes.sh appstream CHANGELOG VERSION TEMPLATE" >&2
  exit 1
}
[ $# -eq 4 ] || usage
format=$1 changelog=$2 version=$3 extra=$4

# One line per item: VERSION<TAB>DATE<TAB>TEXT (backquotes dropped), and a
# line with an empty TEXT for a release without items.
items=$(awk '
  function flush() { if (text != "") print release "\t" date "\t" text; text = "" }
  /^## / {
    flush()
    if (!match($0, /^## [0-9][0-9.]* - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$/)) {
      print "release-notes: not a release heading: " $0 > "/dev/stderr"; exit 1
    }
    release = $2; date = $4; print release "\t" date "\t"; next
  }
  release != "" && /^- / { flush(); text = substr($0, 3); next }
  release != "" && /^  [^ ]/ && text != "" { text = text " " substr($0, 3); next }
  release != "" && /^$/ { flush(); next }
  release != "" { print "release-notes: not an item: " $0 > "/dev/stderr"; exit 1 }
  END { flush() }
' "$changelog" | tr -d '`')
newest=$(head -n1 <<<"$items" | cut -f1)
if [ "$newest" != "$version" ]; then
  echo "release-notes: the newest release in $changelog is '${newest}', the build's version $version" >&2
  exit 1
fi

case "$format" in
  debian)
    # Items wrapped to 80 columns under "  * ", releases newest first, each
    # signed at noon UTC of its date.
    awk -F'\t' -v maintainer="$extra" '
      function sign() {
        if (release == "") return
        cmd = "LC_ALL=C date -u -R -d \"" date " 12:00\""
        cmd | getline stamp; close(cmd)
        print ""; print " -- " maintainer "  " stamp; print ""
      }
      function wrap(text,   n, words, i, line) {
        n = split(text, words, " "); line = "  *"
        for (i = 1; i <= n; i++) {
          if (length(line) + 1 + length(words[i]) > 79) { print line; line = "   " }
          line = line " " words[i]
        }
        print line
      }
      $1 != release { sign(); release = $1; date = $2
                      print "dp3tools (" release ") unstable; urgency=medium"; print ""; next }
      { wrap($3) }
      END { sign() }
    ' <<<"$items" | sed '$d'
    ;;
  appstream)
    releases=$(awk -F'\t' '
      function close_release() { if (release != "") print "    </release>" }
      {
        gsub(/&/, "\\&amp;", $3); gsub(/</, "\\&lt;", $3); gsub(/>/, "\\&gt;", $3)
      }
      $1 != release {
        if (release != "" && open) print "        </ul>\n      </description>"
        close_release(); release = $1; open = 0
        print "    <release version=\"" $1 "\" date=\"" $2 "\">"; next
      }
      {
        if (!open) { print "      <description>\n        <ul>"; open = 1 }
        print "          <li>" $3 "</li>"
      }
      END { if (open) print "        </ul>\n      </description>"; close_release() }
    ' <<<"$items")
    awk -v releases="$releases" '/^ *@RELEASES@$/ { print releases; next } { print }' "$extra"
    ;;
  *) usage ;;
esac
