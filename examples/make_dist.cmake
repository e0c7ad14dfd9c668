# Builds one distribution with sowell-pack from a project staged as a
# manifest says (cmake -P). Inputs: MANIFEST, OUTPUT (the folder made anew),
# WORK (the project folder, made anew), PACK (sowell-pack), EXAMPLES (source
# folder of the examples) and the programs SOWELL, UNRAR, NOTEBOOK, named in
# the manifest as @Sowell, @UnRAR and @notebook.
#
# Manifest lines:
#   stage FROM TO   copy a program or a file to TO in the project (into the
#                   folder TO when it ends with "/"), or a folder's contents
#   option ARG...   pass the words to sowell-pack
foreach(var MANIFEST OUTPUT WORK PACK EXAMPLES SOWELL UNRAR NOTEBOOK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_dist: ${var} is not set")
  endif()
endforeach()

function(resolve from out)
  if(from STREQUAL "@Sowell")
    set(path ${SOWELL})
  elseif(from STREQUAL "@UnRAR")
    set(path ${UNRAR})
  elseif(from STREQUAL "@notebook")
    set(path ${NOTEBOOK})
  else()
    set(path ${EXAMPLES}/${from})
  endif()
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "make_dist: ${from} does not exist (${path})")
  endif()
  set(${out} ${path} PARENT_SCOPE)
endfunction()

# A stale file left from an earlier layout would end up on the medium.
file(REMOVE_RECURSE ${OUTPUT} ${WORK})
file(MAKE_DIRECTORY ${WORK})

set(options)
file(STRINGS ${MANIFEST} lines ENCODING UTF-8)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  separate_arguments(words UNIX_COMMAND "${line}")
  list(POP_FRONT words verb)
  list(LENGTH words count)
  if(verb STREQUAL "stage" AND count EQUAL 2)
    list(GET words 0 a)
    list(GET words 1 b)
    resolve(${a} from)
    if(IS_DIRECTORY ${from})
      file(COPY ${from}/ DESTINATION ${WORK}/${b})
    elseif(b MATCHES "/$")
      file(COPY ${from} DESTINATION ${WORK}/${b})
    else()
      get_filename_component(dir ${WORK}/${b} DIRECTORY)
      file(MAKE_DIRECTORY ${dir})
      file(COPY_FILE ${from} ${WORK}/${b})
    endif()
  elseif(verb STREQUAL "option" AND count GREATER 0)
    list(APPEND options ${words})
  else()
    message(FATAL_ERROR "make_dist: cannot read the line \"${line}\"")
  endif()
endforeach()

execute_process(COMMAND ${PACK} --sowell ${SOWELL} --unrar ${UNRAR} ${options} ${WORK} ${OUTPUT}
  RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_dist: sowell-pack failed on ${WORK}:\n${report}")
endif()
