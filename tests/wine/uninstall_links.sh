#!/usr/bin/env bash
# Links and a drive for the uninstall end-to-end test, made from the Linux side: Wine's
# CreateSymbolicLinkW answers success and makes nothing. In the test prefix ($WINEPREFIX):
#   C:\qf-links\install          an installed tree (docs\a.html, qfmgr.exe, qfsetup.exe) holding
#     docs\outside-link            a link to the directory C:\qf-links\outside (files below it)
#     empty-link                   a link to the empty directory C:\qf-links\empty-outside
#     file-link                    a link to the file C:\qf-links\outside-file.txt
#   C:\qf-links\install-old      a sibling of the installation directory, with files
#   C:\qf-links\to-r             a link to the folder that drive R: maps
#   C:\qf-links\to-windows       a link to C:\windows
#   C:\qf-links\victim           files that only a link leads to, for the upgrade cases:
#   C:\qf-links\upgrade-docs     an installed tree whose docs is a link to victim
#   C:\qf-links\upgrade-client   an installed tree whose qfmgr.exe is a link to victim\client.exe
#   C:\qf-links\profiles         a user profile folder "me" beside an "All Users\Desktop" whose
#                                shortcut ORIN-6 Client.lnk is a link to victim\shortcut-target.lnk
#   C:\qf-links\install-profiles the same for the installation's case, the link leading to
#                                victim\install-shortcut.lnk
#   C:\qf-links\swap-in\docs     a folder whose guide is a link to C:\qf-links\swap-outside, which
#                                holds b.html: swapped into an installation during an uninstall
#   R:                           a drive of its own with files, for the drive-root cases
# Rebuilt from nothing on every setup; rm -rf never follows the links.
#   uninstall_links.sh setup | cleanup
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "uninstall_links: no test prefix (run through scripts/test.sh)" >&2
  exit 1
fi
links=$WINEPREFIX/drive_c/qf-links
drive=$WINEPREFIX/qf-r-drive

rm -rf "$links" "$drive"
rm -f "$WINEPREFIX/dosdevices/r:"
[ "$1" = cleanup ] && exit 0

mkdir -p "$links/install/docs" "$links/outside/deep" "$links/empty-outside" "$links/install-old/data"
echo "page" > "$links/install/docs/a.html"
echo "client" > "$links/install/qfmgr.exe"
echo "uninstaller" > "$links/install/qfsetup.exe"
echo "kept" > "$links/outside/keep.txt"
echo "kept too" > "$links/outside/deep/inner.txt"
echo "kept file" > "$links/outside-file.txt"
echo "old settings" > "$links/install-old/data/settings.ini"
echo "old client" > "$links/install-old/qfmgr.exe"
ln -s ../../outside "$links/install/docs/outside-link"
ln -s ../empty-outside "$links/install/empty-link"
ln -s ../outside-file.txt "$links/install/file-link"

mkdir -p "$links/victim" "$links/upgrade-docs" "$links/upgrade-client/docs"
echo "victim page" > "$links/victim/index.html"
echo "victim client" > "$links/victim/client.exe"
echo "victim shortcut" > "$links/victim/shortcut-target.lnk"
ln -s ../victim "$links/upgrade-docs/docs"
ln -s ../victim/client.exe "$links/upgrade-client/qfmgr.exe"
mkdir -p "$links/profiles/me" "$links/profiles/All Users/Desktop"
ln -s ../../../victim/shortcut-target.lnk "$links/profiles/All Users/Desktop/ORIN-6 Client.lnk"
echo "victim shortcut" > "$links/victim/install-shortcut.lnk"
mkdir -p "$links/install-profiles/me" "$links/install-profiles/All Users/Desktop"
ln -s ../../../victim/install-shortcut.lnk "$links/install-profiles/All Users/Desktop/ORIN-6 Client.lnk"

mkdir -p "$links/swap-in/docs" "$links/swap-outside"
echo "outside page" > "$links/swap-outside/b.html"
ln -s "$links/swap-outside" "$links/swap-in/docs/guide"

mkdir -p "$drive/sub"
echo "root file" > "$drive/root.txt"
echo "sub file" > "$drive/sub/sub.txt"
ln -s "$drive" "$WINEPREFIX/dosdevices/r:"
ln -s "$drive" "$links/to-r"
ln -s ../windows "$links/to-windows"
