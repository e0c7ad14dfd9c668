# A log as earlier setup programs wrote it: its created keys list every key a
# registry file wrote a value into, keys that were there before the
# installation among them (the user's environment, the machine's autostart
# key). The product's own values go; those keys, and every value of the user
# and of other programs in them, stay. A listed key that holds a subkey the
# log does not list stays with it; a product key holding values the product
# wrote at run time goes whole.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

ENV_KEY='HKCU\Environment'
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ReapTest Keys'
rm -rf "$ROOT"
mkdir -p "$ROOT/Keys"
place_uninstaller "$ROOT/Keys" shared-keys.log

temp_before=$(reg_value "$ENV_KEY" TEMP) || fail "the prefix has no TEMP variable"
tmp_before=$(reg_value "$ENV_KEY" TMP) || fail "the prefix has no TMP variable"
path_before=$(reg_value "$ENV_KEY" PATH) || path_before=
# The user's own variables, another program's autostart entry and key, and
# what the product itself wrote at run time.
reg_import <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Environment]
"REAPTEST_HOME"="C:\\ReapTest\\Keys"
"REAPTEST_USER_VARIABLE"="the user's own"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run]
"ReapTest Agent"="C:\\ReapTest\\Keys\\agent.exe"
"ReapTest Other Agent"="C:\\ReapTest\\Other\\agent.exe"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\ReapTest Keys]
"DisplayName"="ReapTest Keys"

[HKEY_CURRENT_USER\Software\ReapTest]
"Vendor"="ReapTest"

[HKEY_CURRENT_USER\Software\ReapTest\Suite]
"Edition"="Keys"

[HKEY_CURRENT_USER\Software\ReapTest\Suite\Other Program]
"Installed"="1"

[HKEY_CURRENT_USER\Software\ReapTest\Keys]
"Path"="C:\\ReapTest\\Keys"
"LastFile"="C:\\ReapTest\\Keys\\letter.txt"

[HKEY_CURRENT_USER\Software\ReapTest\Keys\Window]
"Left"="10"
"Maximized"=dword:00000001
REG
# PATH names the system folders itself, whether Wine puts the user's PATH
# after the system's or in its place.
if [[ -z $path_before ]]; then
  wine_quiet reg add "$ENV_KEY" /v PATH /t REG_EXPAND_SZ /d '%SystemRoot%\system32;%SystemRoot%;C:\ReapTest\bin' /f
fi
path_value=$(reg_value "$ENV_KEY" PATH) || fail "PATH was not set up"
reg_has_value "$RUN_KEY" 'ReapTest Other Agent' || fail "the registry was not prepared"

drive <<'SCRIPT'
start "C:\ReapTest\Keys\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 30000
expect-item 101 0 "Removing registry values... ok"
expect-item 101 1 "Removing registry keys... ok"
click 1
wait-exit 10000 0
SCRIPT
wine_settle

check "the product's variable is gone" reg_no_value "$ENV_KEY" REAPTEST_HOME
check "the environment key stays" reg_has_key "$ENV_KEY"
check "TEMP stays as it was" test "$(reg_value "$ENV_KEY" TEMP)" = "$temp_before"
check "TMP stays as it was" test "$(reg_value "$ENV_KEY" TMP)" = "$tmp_before"
check "PATH stays as it was" test "$(reg_value "$ENV_KEY" PATH)" = "$path_value"
check "the user's own variable stays" test "$(reg_value "$ENV_KEY" REAPTEST_USER_VARIABLE)" = "the user's own"
check "the product's autostart entry is gone" reg_no_value "$RUN_KEY" 'ReapTest Agent'
check "the autostart key stays" reg_has_key "$RUN_KEY"
check "another program's autostart entry stays" \
  test "$(reg_value "$RUN_KEY" 'ReapTest Other Agent')" = 'C:\ReapTest\Other\agent.exe'
check "the uninstall registration is gone" reg_no_key "$UNINSTALL_KEY"
check "the uninstall list itself stays" reg_has_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
check "the product's value in a listed key with an unlisted subkey is gone" \
  reg_no_value 'HKCU\Software\ReapTest\Suite' Edition
check "that key stays" reg_has_key 'HKCU\Software\ReapTest\Suite'
check "with the unlisted subkey and its value" \
  test "$(reg_value 'HKCU\Software\ReapTest\Suite\Other Program' Installed)" = 1
check "and the listed key above it" reg_has_key 'HKCU\Software\ReapTest'
check "the product key goes with the values the product wrote at run time" reg_no_key 'HKCU\Software\ReapTest\Keys'
check "HKCU\\Software stays" reg_has_key 'HKCU\Software'

wine_quiet reg delete "$ENV_KEY" /v REAPTEST_USER_VARIABLE /f || true
[[ -z $path_before ]] && { wine_quiet reg delete "$ENV_KEY" /v PATH /f || true; }
wine_quiet reg delete "$RUN_KEY" /v 'ReapTest Other Agent' /f || true
wine_quiet reg delete 'HKCU\Software\ReapTest' /f || true
finish
