# The verdict of the executable checks (check-imports.sh, check-insns.sh), sourced by them. Each defines
# check EXE, which prints a "refused EXE: NAME ..." line for each thing it refuses, then a summary.
#
#   verdict NAME_SED EXPECTED EXE...
#
# Runs check on each executable and exits 1 when one is refused. With EXPECTED (a comma list) the check
# itself is under test: it passes only when exactly those names are refused; NAME_SED is the sed
# expression that takes the name out of a refused line.
verdict() {
  local name_sed=$1 expected=$2 rc=0 exe out refused got want
  shift 2
  for exe in "$@"; do
    out=$(check "$exe")
    echo "$out"
    refused=0
    grep -q '^refused ' <<<"$out" && refused=1
    if [ -n "$expected" ]; then
      # The same verdict as without the option, and exactly the expected names.
      got=$(sed -n "$name_sed" <<<"$out" | tr 'A-Z' 'a-z' | sort -u)
      want=$(tr ',' '\n' <<<"$expected" | tr 'A-Z' 'a-z' | sort -u)
      if [ $refused = 0 ] || [ "$got" != "$want" ]; then
        echo "$exe: expected exactly these refused: $(echo $want)"
        rc=1
      fi
    elif [ $refused = 1 ]; then
      rc=1
    fi
  done
  exit $rc
}
