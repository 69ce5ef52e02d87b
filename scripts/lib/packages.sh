# The one way the scripts install Debian packages. Source it from the repository's top folder.

# install_missing <package>...: installs those of the Debian packages given that are missing
# (needs root or sudo); waits for another installation to let go of the lock.
install_missing() {
  local missing=() p sudo=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "${missing[@]}"
}
