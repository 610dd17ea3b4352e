; The setup's own texts, in the two languages the program speaks.

LangString DisplayName ${LANG_ENGLISH} "Vinkabo Favorites"
LangString DisplayName ${LANG_SIMPCHINESE} "Vinkabo 收藏夹"

LangString ShortcutComment ${LANG_ENGLISH} "Keep your favorite web sites and open them with one click"
LangString ShortcutComment ${LANG_SIMPCHINESE} "收藏常用网站，一键打开"

LangString SecProgram ${LANG_ENGLISH} "Vinkabo (program, edbtool and sample data)"
LangString SecProgram ${LANG_SIMPCHINESE} "Vinkabo（程序、edbtool 和示例数据）"

LangString SecDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString SecDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"

LangString SecUnProgram ${LANG_ENGLISH} "Program, shortcuts and uninstall entry"
LangString SecUnProgram ${LANG_SIMPCHINESE} "程序、快捷方式和卸载项"

LangString SecUnData ${LANG_ENGLISH} "Also remove my favorites and passwords"
LangString SecUnData ${LANG_SIMPCHINESE} "同时删除我的收藏和密码"

LangString ProgramRunning ${LANG_ENGLISH} "Vinkabo is running. Close it (save what you are editing first), then choose Retry.$\r$\nCancel stops here without changing anything."
LangString ProgramRunning ${LANG_SIMPCHINESE} "Vinkabo 正在运行。请先保存正在编辑的内容并关闭它，然后选择“重试”。$\r$\n选择“取消”则到此为止，不做任何改动。"

LangString StillRunning ${LANG_ENGLISH} "Vinkabo did not close; nothing was changed."
LangString StillRunning ${LANG_SIMPCHINESE} "Vinkabo 没有关闭，未做任何改动。"

LangString DataStays ${LANG_ENGLISH} "Your favorites, passwords, site icons and sounds stay in $INSTDIR.$\r$\nInstall Vinkabo there again to use them, or delete the folder when you no longer need them."
LangString DataStays ${LANG_SIMPCHINESE} "您的收藏、密码、网站图标和声音保留在 $INSTDIR 中。$\r$\n再次安装到该文件夹即可继续使用；不再需要时可删除该文件夹。"
