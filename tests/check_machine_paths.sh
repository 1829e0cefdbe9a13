#!/usr/bin/env bash
# Fails when a source, test, benchmark or fuzzer names a folder that exists on
# one machine only: a folder under /tmp, a home or work folder, or an absolute
# QTemporaryDir template. Tests make their folders with QTemporaryDir(), which
# honours TMPDIR, so the suite runs the same on every clean clone.
# usage: check_machine_paths.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 2
patterns=(
  '"/tmp/[^"/]+/'
  '"/(home|root|work|Users|mnt|media)/'
  'QTemporaryDir[^;]*[({][[:space:]]*(QStringLiteral\()?"/'
)
found=0
for p in "${patterns[@]}"; do
  if grep -rnE --include='*.cpp' --include='*.h' --include='*.py' --include='*.sh' \
      "$p" src tools tests bench fuzz; then
    found=1
  fi
done
if [ "$found" -ne 0 ]; then
  echo "A path above names a folder of one machine: make it with QTemporaryDir() instead." >&2
  exit 1
fi
echo "No folder of one machine is named."
