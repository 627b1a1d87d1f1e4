# Sourced by the browser checks: makes $work a folder with playwright-core
# installed (npm ci, once per folder; it never downloads a browser), this
# folder's browser.mjs and the scripts given, makes $work absolute and goes
# there. Exits 77, which CTest reads as skipped, when Node.js or Chromium is
# not installed.
# Usage: . DIR/browser_setup.sh; browser_setup DIR SCRIPT...
#   (DIR: this folder, which holds package.json and browser.mjs)
browser_setup() {
    chromium=${ZELK_CHROMIUM:-/usr/bin/chromium}
    if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
        echo "Node.js (node and npm) is not installed: the page cannot be checked in a browser"
        exit 77
    fi
    if [ ! -x "$chromium" ]; then
        echo "$chromium is not installed (scripts/install-deps.sh installs it): the page cannot be checked"
        exit 77
    fi
    mkdir -p "$work"
    work=$(cd "$work" && pwd)
    setup_dir=$1
    shift
    cp "$setup_dir/package.json" "$setup_dir/package-lock.json" "$setup_dir/browser.mjs" "$@" \
        "$work/"
    cd "$work"
    if [ ! -f node_modules/playwright-core/package.json ]; then
        PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
    fi
}
