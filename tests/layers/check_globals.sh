#!/usr/bin/env bash
# Fails when a source file of the window folders keeps state for the whole
# program: a mutable variable at namespace scope, a non-const static data
# member, or a function-local static (or thread_local) that is not const.
# Such state belongs to the shell's run objects or to the object that owns
# it. Constants (const, constexpr) and static functions are fine.
#   check_globals.sh SRC_DIR
set -u
src=${1:?usage: check_globals.sh SRC_DIR}
windows="imagewin measure processing analysis notepad"

files=()
for w in $windows; do
  [ -d "$src/$w" ] || continue
  while IFS= read -r f; do files+=("$f"); done < <(find "$src/$w" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
done
[ ${#files[@]} -gt 0 ] || { echo "no window folder under $src"; exit 1; }

# One line per finding: FILE<TAB>LINE<TAB>DECLARATION.
findings=$(awk -v apos="'" '
function reset() { cur = ""; curline = 0 }
function add(c) {
  if (cur == "" && c ~ /[ \t]/) return
  if (cur == "") curline = FNR
  cur = cur c
}
# The declaration without attributes, access labels, leading Qt macros and
# template argument lists, with single spaces.
function clean(t,   prev) {
  gsub(/[ \t]+/, " ", t)
  gsub(/\[\[[^]]*\]\]/, "", t)
  gsub(/(public|protected|private|signals|Q_SIGNALS)( (slots|Q_SLOTS))? ?:([^:]|$)/, " ", t)
  sub(/^ +/, "", t)
  while (t ~ /^Q_[A-Z_]+ ?(\([^()]*\))?( |$)/) { sub(/^Q_[A-Z_]+ ?(\([^()]*\))?/, "", t); sub(/^ +/, "", t) }
  prev = ""
  while (prev != t) { prev = t; gsub(/<[^<>;{}]*>/, "", t) }
  return t
}
# A declaration of a variable (not of a function): no parenthesis, or an
# "=" before the first one.
function isvar(t,   p, e) {
  if (t ~ /(^|[^A-Za-z0-9_])operator([^A-Za-z0-9_]|$)/) return 0
  p = index(t, "("); e = index(t, "=")
  return p == 0 || (e > 0 && e < p)
}
# Constant: const or constexpr before the declared name (leading storage
# words aside).
function isconst(t) {
  while (t ~ /^(static|inline|extern|thread_local|mutable) /) sub(/^[a-z_]+ /, "", t)
  return t ~ /^(const|constexpr|consteval)[ &*]/
}
function report(t) { printf "%s\t%d\t%s\n", FILENAME, curline, t }
function atnamespace(   i) {
  for (i = 1; i <= depth; i++) if (kind[i] != "ns") return 0
  return 1
}
# A statement ends (";") or a block opens ("{") with the text in cur.
function statement(opening,   t, k) {
  t = clean(cur)
  if (t == "") return
  if (atnamespace()) {
    if (t ~ /^(using|typedef|template|class|struct|union|enum|friend|namespace|static_assert|extern "C"|return)( |$)/) return
    if (opening && t ~ /(^|[ :])(class|struct|union|enum)( |$)/) return
    if (isvar(t) && !isconst(t)) report(t)
    return
  }
  k = kind[depth]
  if (t !~ /^(static|thread_local|inline static) / && t !~ / thread_local /) return
  if (isconst(t)) return
  # A static in a function body is always a variable; in a class body it
  # may be a member function.
  if (k == "fn" || isvar(t)) report(t)
}
function blockkind(   t) {
  t = clean(cur)
  if (t ~ /(^| )namespace( |$)/ || t ~ /^extern "C"/) return "ns"
  if (t ~ /(^|[ :])(class|struct|union|enum)( |$)/ && index(t, "(") == 0) return "cls"
  return "fn"
}
FNR == 1 { depth = 0; incomment = 0; continued = 0; reset() }
{
  line = $0
  # A Qt global static is a mutable global whatever its type.
  if (!incomment && line ~ /^[ \t]*Q_GLOBAL_STATIC/) { curline = FNR; report(line); reset() }
  # Preprocessor lines and their continuations.
  if (!incomment && (line ~ /^[ \t]*#/ || continued)) { continued = (line ~ /\\$/); next }
  n = length(line)
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (incomment) {
      if (c == "*" && substr(line, i + 1, 1) == "/") { incomment = 0; i++ }
      continue
    }
    if (c == "/" && substr(line, i + 1, 1) == "/") break
    if (c == "/" && substr(line, i + 1, 1) == "*") { incomment = 1; i++; continue }
    if (c == "\"" || c == apos) {
      # A string or character literal: kept as empty quotes.
      q = c; i++
      while (i <= n && substr(line, i, 1) != q) { if (substr(line, i, 1) == "\\") i++; i++ }
      add(q q)
      continue
    }
    if (c == ";") { statement(0); reset(); continue }
    if (c == "{") {
      statement(1)
      k = blockkind()
      depth++; kind[depth] = k
      reset()
      continue
    }
    if (c == "}") { if (depth > 0) depth--; reset(); continue }
    # An access label ends what came before it.
    if (c == ":" && substr(line, i + 1, 1) != ":" && cur ~ /(public|protected|private|signals|slots|Q_SIGNALS|Q_SLOTS)[ \t]*$/ &&
        substr(line, i - 1, 1) != ":") { reset(); continue }
    add(c)
  }
  # So does a line holding a Qt macro alone (Q_OBJECT).
  if (cur ~ /^Q_[A-Z_]+[ \t]*(\([^()]*\))?[ \t]*$/) reset()
  add(" ")
}
' "${files[@]}")

status=0
while IFS=$'\t' read -r file line decl; do
  [ -n "$file" ] || continue
  echo "src/${file#"$src"/}:$line: program-wide state in a window layer: $decl"
  status=1
done <<<"$findings"
if [ "$status" -eq 0 ]; then echo "no window folder keeps mutable program-wide state"; fi
exit $status
