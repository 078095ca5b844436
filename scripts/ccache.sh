# Sourced by the build scripts: sets ccache_args to the CMake arguments that compile through ccache,
# or to nothing when ccache is not installed.
# A fresh clone reuses what an earlier build compiled: paths under the project are hashed relative to
# it (base_dir) and the working folder is left out of the hash, so a clone in another folder hits the
# same entries. (A hit may carry the other clone's folder in its debug information; the sources it
# names are the same.)
ccache_args=()
if command -v ccache >/dev/null; then
  ccache_cmd="env;CCACHE_BASEDIR=$PWD;CCACHE_NOHASHDIR=true;ccache"
  ccache_args=(-DCMAKE_CXX_COMPILER_LAUNCHER="$ccache_cmd" -DCMAKE_C_COMPILER_LAUNCHER="$ccache_cmd")
fi
