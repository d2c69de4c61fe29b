# Compile settings shared by every target of the project.
add_library(pelorin_common INTERFACE)
target_compile_features(pelorin_common INTERFACE cxx_std_20)
target_compile_definitions(pelorin_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    PELORIN_VERSION="${PROJECT_VERSION}")
target_compile_options(pelorin_common INTERFACE -Wall -Wextra -Wpedantic)
if(PELORIN_WERROR)
    target_compile_options(pelorin_common INTERFACE -Werror)
endif()
if(PELORIN_SANITIZE)
    target_compile_options(pelorin_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(pelorin_common INTERFACE -fsanitize=address,undefined)
endif()
if(PELORIN_BUILD_FUZZ)
    # Instrument every library for coverage-guided fuzzing, with ASan and UBSan watching.
    target_compile_options(pelorin_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
    target_link_options(pelorin_common INTERFACE -fsanitize=address,undefined)
endif()
