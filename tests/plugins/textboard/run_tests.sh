#!/bin/sh
# Runs the tests of the text-board article plugin with the given Perl.
#   run_tests.sh [PERL_PATH]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
perl=${1:-perl}
exec "$perl" "$here/run_tests.pl" "$perl"
