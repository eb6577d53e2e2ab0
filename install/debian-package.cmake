# The Debian package, made by CPack from the same install rules as `cmake --install`, with the
# prefix /usr: `make deb` leaves quelmar-de-orivela_VERSION-REVISION_ARCH.deb in the build folder.
# Installed for everyone, the program's directory is read-only to users, so each user's options
# live in their own configuration folder (src/data/options_location.h).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelmar-de-orivela)
set(CPACK_PACKAGE_VENDOR "Oficina Cendral")
set(CPACK_PACKAGE_CONTACT "Oficina Cendral <dev@example.org>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The summary is the project's description; CPack indents these lines and marks the blank one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "O Quelmar de Orivela mostra mensagens curtas de inspiração, uma de cada vez,
tiradas de duas coleções: Quelmar de Orivela e Tarvenas de Cendra. Uma nova
mensagem vem ao acaso com um clique ou com um temporizador; a coleção pode ser
percorrida pelo número da mensagem, e uma busca acha uma palavra sem ligar
para maiúsculas e acentos. A mensagem na tela pode ser impressa.

A ferramenta quelmar-colecoes cria coleções próprias a partir de um arquivo
de texto, e o quelmar-frase mostra uma mensagem no terminal ou como
notificação da área de trabalho.")

# The libraries the binaries link come from dpkg-shlibdeps; the rest is what the program reaches
# at run time: the fonts its windows were drawn for and the desktop's launcher for the links of
# the About window. Qt's own texts in Portuguese are welcome but not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcups is loaded only when a page is printed, so the library scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, xdg-utils, libcups2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Everything `cmake --install` takes, then the files only the package has (install/CMakeLists.txt).
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")
# cpack only packs what `make deb` has built; it need not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

include(CPack)
