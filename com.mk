# The COM in-process server for Windows hosts (included by the Makefile).
#   make com        novaflux.dll, psylib32.dll and NOVAFLUX.db in build-com/win64/ and build-com/win32/
#   make com-kit    the Windows kit $(COM_DIR)/novaflux-<version>-windows.zip: both servers,
#                   register.cmd, unregister.cmd, a README for hosts and samples (packaging/windows/)
#   make test-com   registers each DLL under Wine in a private prefix, the 64-bit one with Wine's
#                   64-bit loader and the 32-bit one with the 32-bit Wine, and drives it from a
#                   VBScript host and an early-bound host of its bitness against the native
#                   component, the early-bound host in each floating-point state hosts set
#   make com-deps   the cross compilers and Wine, 32-bit Wine included (adds the i386 architecture)
COM_DIR ?= build-com
COM_APT_PACKAGES = wine64 wine wine32:i386 libwine-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools \
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 dpkg-dev tcl
# widl finds oaidl.idl among Wine's IDL files and stdole2.tlb in Wine's own DLL folder.
COM_WIDL_INCLUDE = /usr/include/wine/wine/windows
COM_STDOLE_DIR = /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
COM_ARCHES = win64:x86_64 win32:i686
WINE32_LOADER = /usr/lib/wine/wine

.PHONY: com com-deps com-kit test-com

# The 32-bit Wine comes from the i386 architecture of the archive, added once; on a kernel that
# runs no 32-bit programs scripts/i386_programs.sh has QEMU run them.
com-deps:
	@dpkg --print-foreign-architectures | grep -qx i386 || { echo "adding the i386 architecture"; \
	  $(SUDO) dpkg --add-architecture i386; }; \
	missing=""; for p in $(COM_APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	@$(WINE32_LOADER) --version >/dev/null 2>&1 || $(SUDO) scripts/i386_programs.sh $(WINE32_LOADER)

com: build com-deps
	scripts/sqlite_amalgamation.sh $(COM_DIR)/sqlite
	@set -e; for a in $(COM_ARCHES); do \
	  name=$${a%%:*}; cpu=$${a##*:}; prefix=$$cpu-w64-mingw32; \
	  cmake -S . -B $(COM_DIR)/tree-$$name -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=$$cpu \
	    -DCMAKE_C_COMPILER=$$prefix-gcc-posix -DCMAKE_CXX_COMPILER=$$prefix-g++-posix \
	    -DCMAKE_RC_COMPILER=$$prefix-windres -DCMAKE_FIND_ROOT_PATH=/usr/$$prefix \
	    -DNOVAFLUX_COM_OUTPUT=$(CURDIR)/$(COM_DIR)/$$name -DNOVAFLUX_SQLITE_DIR=$(CURDIR)/$(COM_DIR)/sqlite \
	    -DNOVAFLUX_IDL_TOOL=$(CURDIR)/$(BUILD)/bin/novaflux_idl -DNOVAFLUX_WIDL=$$prefix-widl \
	    -DNOVAFLUX_WIDL_INCLUDE=$(COM_WIDL_INCLUDE) -DNOVAFLUX_STDOLE_DIR=$(COM_STDOLE_DIR) >/dev/null; \
	  cmake --build $(COM_DIR)/tree-$$name -j $(JOBS); \
	  cp $(BUILD)/lib/NOVAFLUX.db $(COM_DIR)/$$name/; \
	done

com-kit: com
	/usr/bin/python3 packaging/windows_kit.py $(COM_DIR)

# The kit is checked with the server (tests/com/kit_test.py).
test-com: com-kit
	/usr/bin/python3 tests/com/run_com_tests.py $(BUILD) $(COM_DIR)
	/usr/bin/python3 tests/com/kit_test.py $(BUILD) $(COM_DIR)
